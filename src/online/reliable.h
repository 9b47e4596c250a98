// The reliable outbox: requests that must reach the web service across
// failures and restarts (the score and rating submissions). Each entry is
// stored in "reliable.db" of the per-user directory before it is first
// sent, carries the same "_receipt" id on every send, and stays until a
// reply names it in "X-Receipt". A resend pass sends again every entry at
// least RELIABLE_RESEND_AGE seconds old (or stamped ahead of the clock) that
// has no request in flight, oldest first (by ts, then n), those held in
// memory among the stored ones; a row whose stamp is no integer (none at
// all too: such a row is always due) or whose id is no text goes after them
// all, by rowid, and one without an id not at all. At most
// RELIABLE_MAX_IN_FLIGHT entries are in flight at once; the rest wait for a
// free slot, which the per-frame rule fills. A pass holds no payloads: it
// walks the stored entries a few at a time as slots free, and each payload
// is read from the database when its entry goes out, so a pass over
// thousands of entries costs any one frame little. Nor does a frame of a
// pass carry out more than RELIABLE_MAX_UNSLOTTED entries that take no slot
// (an "echo" or a name the game does not know, each removed as it goes), or
// pass over more than about as many rows it cannot send (without an id, in
// flight or queued): the pass goes on from there next frame. A reply to an
// entry may hold at most RELIABLE_MAX_REPLY bytes (a receipt is a few
// hundred): a longer one is a failed send.
//
// A "web" payload is {"action", "post", "identity"}: the identity (as
// web_identity_var stores it) is the one the entry was signed for, and the
// entry always goes out under it; an entry without one goes out under the
// player's identity of the moment.
//
// Table: events (n text primary key, name text, data blob, ts int), every
// value stored as text: n the entry id (32 hex digits), name "web" or
// "echo", data the payload's compact JSON, ts the seconds since 1970 when
// the entry was added. The index events_order on (ts, n) serves the passes,
// and events_odd, partial, holds the rows that order cannot.
#pragma once
#include <string>

#include "util/var.h"

struct Game;

enum { RELIABLE_RESEND_AGE = 300, RELIABLE_MAX_IN_FLIGHT = 4, RELIABLE_MAX_UNSLOTTED = 4 };
constexpr size_t RELIABLE_MAX_REPLY = 64 * 1024;

// Seconds since 1970 as the outbox reads them; tests put a clock of their
// own in place (null restores the system clock).
typedef long (*reliable_clock_fn)();
void game_reliable_set_clock(reliable_clock_fn clock);
long game_reliable_now();

// Opens "reliable.db" of the per-user directory afresh (entries held in
// memory stay unless the directory changed) and makes sure the table
// exists. The first frame after it runs a resend pass.
void game_reliable_init(Game* g);
// Stores a new entry and carries it out at once; answers its id. An entry
// that cannot be stored is kept in memory for the run, sent from there,
// and stored by the next pass or at quit that can write the database.
// The first such entry of a run also tells the player, through web_notice
// with RELIABLE_UNSTORED_TEXT, when a game is running; the notice is shown
// only if an entry is still held in memory when it would appear (neither
// stored since nor removed by its receipt), and dropped otherwise.
std::string game_reliable_add(const std::string& name, const var& payload);
constexpr char RELIABLE_UNSTORED_TEXT[] =
    "A score or rating could not be saved on this computer. "
    "It is kept only until the game quits, and sent if the service answers.";
// Deletes the entry (the service's receipt). Unknown ids change nothing. An
// entry whose delete fails is logged, never sent again in this run, and its
// delete is tried again by each pass.
void game_reliable_remove(const std::string& id);
// The request that carried the entry has ended, with or without a receipt.
void game_reliable_request_ended(const std::string& id);
// md5_hex of {"data":payload,"n":seq,"name":name,"ts":time} after counting
// the sequence number up by one.
std::string game_reliable_id(const std::string& name, const var& payload, long time);
// One resend pass: stores what is held in memory, tries failed deletes
// again and starts sending what is due, as one frame would; answers the
// entries pending.
int game_reliable_loop();
// At quit: stores what is still held in memory and tries failed deletes
// again; what could not be kept is said in one line.
void game_reliable_quit();
// Entries stored or waiting in memory, counted, never estimated.
int game_reliable_pending();
// The per-frame rule: entries waiting for a slot are sent as slots free;
// a pass on the first frame after init, then whenever RELIABLE_RESEND_AGE
// seconds have passed since the last one while entries are pending.
// Answers the entries pending after the pass, -1 when no pass ran.
int game_reliable_frame(Game* g);

// Carrying an entry out once, by its name: "web" sends it (or queues it for
// a free slot), "echo" only logs it; an "echo" or unknown entry is removed
// at once.
void game_reliable_do(const std::string& id, const std::string& name, const var& payload);
