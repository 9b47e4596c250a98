// The HTTP/1.0 client: one request per connection over a non-blocking
// socket, advanced by http_poll once per frame, never blocking the frame:
// host names are looked up on a worker thread (hostcache.h) while the
// request waits in HTTP_RESOLVING.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/hostcache.h"

// Steps of a request, as the time-out line reports them.
enum http_state {
  HTTP_RESOLVING = 0,
  HTTP_CONNECTING = 1,
  HTTP_SENDING = 2,
  HTTP_RECEIVING = 3,
  HTTP_DONE = 4,
};

// A response beyond the connection's limit ends the request with the error
// flag; this is the limit unless the caller gives a smaller one.
constexpr size_t HTTP_MAX_RESPONSE = 16u << 20;

struct HttpConn {
  std::string host;
  int port = 0;
  std::string path;
  int sock = -1;   // -1 while none is open
  int state = HTTP_CONNECTING;
  int error = 0;   // non-zero after any failure or time-out
  int timeout = 0; // seconds of silence allowed
  int64_t deadline_ms = 0;  // on tk_monotonic_ms; each step of progress moves it
  std::string request;      // the whole request, head and body
  size_t sent = 0;          // bytes of request sent
  std::string response;     // every byte received
  size_t max_response = HTTP_MAX_RESPONSE;
  // The bytes after the blank line that ends the header block, inside
  // response; set when the request ends (an empty body at the end of the
  // buffer when no blank line came).
  const char* body = nullptr;
  size_t body_len = 0;
};

// Never null: any failure sets the error flag instead. Formats the request
// (GET without a body, else a form-encoded POST), and starts the look-up of
// the host through the host-name cache and, once its address is known, a
// non-blocking connect. The response may hold at most max_response bytes.
HttpConn* http_open(const char* host, int port, const char* path, const void* body,
                    size_t body_len, int timeout, size_t max_response = HTTP_MAX_RESPONSE);

// One non-blocking step (look-up, connect, send, receive). Answers 1 once the request
// has ended (the server closed the connection, or the error flag is set),
// else 0. After timeout seconds without progress it logs
// "timeout :: state = %d", sets the error flag and answers 1.
int http_poll(HttpConn* conn);

// Zero-fills out, then copies the value of the first header line that begins
// with name and ":" (in any letter case, as header names are), blanks after
// the colon skipped, up to the end of the line without its carriage return,
// at most 255 bytes.
void http_header(const HttpConn* conn, const char* name, char out[256]);
std::string http_header(const HttpConn* conn, const char* name);

// A connection that has already ended with these bytes as its whole reply,
// checked as a received reply is (for replaying recorded replies).
HttpConn* http_conn_replay(const std::string& response);

// Closes the socket unless it is -1 and frees the record and its buffers.
void http_release(HttpConn* conn);
