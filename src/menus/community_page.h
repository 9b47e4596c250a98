// The layout of a community page: the search header, the scrolling list of
// the page's entries with the home and restart icons over its corners, and
// the back button. The web service composes the page as a JSON list of
// entry dicts, each with a "type" and the fields of that type; every field
// may be missing (none: empty text, number 0).
#pragma once

#include <string>

#include "online/web_loop.h"
#include "util/var.h"

class Container;

// Action codes of the community browser.
enum {
  COMMUNITY_ACT_RESTART = 12,
  COMMUNITY_ACT_HOME = 13,
  COMMUNITY_ACT_SEARCH = 14,
  // Flags of the per-entry codes; the entry's index is in the low 16 bits.
  COMMUNITY_ACT_ENTRY = 0x10000,        // "button", "tab" or "image"
  COMMUNITY_ACT_ENTRY_PLAY = 0x20000,   // the play row of a "level"
  COMMUNITY_ACT_ENTRY_MORE = 0x40000,   // its "More" button
  COMMUNITY_ACT_ENTRY_LEADERBOARD = 0x80000,
  COMMUNITY_ENTRY_MASK = 0xffff,
  // A page builds at most this many entries. Their codes must tell them
  // apart, and the whole tree is laid out on every tick: a page of
  // thousands (pages hold tens) would stall the game.
  COMMUNITY_MAX_ENTRIES = WEB_PAGE_MAX_ENTRIES,
};
static_assert(COMMUNITY_MAX_ENTRIES <= COMMUNITY_ENTRY_MASK + 1, "entry codes hold the index in 16 bits");

enum {
  COMMUNITY_LIST_W = 480,       // the width of the entries in the list
  COMMUNITY_QUERY_SIZE = 256,   // the query text, NUL included
  COMMUNITY_SEARCH_SIZE = 32,   // the search box's text, NUL included
  // A page's texts are cut to this many bytes (whole UTF-8 characters).
  COMMUNITY_TEXT_MAX = 1024,
};

// What the list shows of the page: the loading line while its request is
// under way, the failure line when it ended without a page, else the
// page's entries (none for an empty page).
enum CommunityForm { COMMUNITY_LOADING, COMMUNITY_FAILED, COMMUNITY_SHOWN };

// The part of a page that the screen builds and acts on: its first
// COMMUNITY_MAX_ENTRIES entries, each holding only the fields the screen
// reads, with their texts cut. A reply of millions of values is not kept
// alive behind the few entries shown. Entries that are no dicts stay none.
var community_page_kept(const var& page);
// A text field of an entry, cut to COMMUNITY_TEXT_MAX bytes.
std::string community_text(const var& entry, const char* field);
// A number field of an entry: 0 when missing or not finite, else within
// lo..hi.
double community_number(const var& entry, const char* field, double lo, double hi);

// Replaces what root holds (after the menu background) with the page's
// screen: header with the search box holding search_text, the entries, and
// "Back to Home" unless query is "@default" or "@home". While loading or
// failed the list holds only "Loading data ..." or the failure line. The
// home icon has the focus afterwards.
void community_build_page(Container& root, const var& page, const std::string& query,
                          const std::string& search_text, CommunityForm form);

// What the list shows when its request got no page.
extern const char* const COMMUNITY_FAILED_TEXT;
// The labels of a "stars" entry (the map's rating) and of a "u_stars" entry
// (the player's own).
extern const char* const COMMUNITY_RATING_TEXT;
extern const char* const COMMUNITY_OWN_RATING_TEXT;
