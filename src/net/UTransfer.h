// UTransfer: the bytes of one client connection: gathering the query,
// sending the whole answer, and closing so that the answer is not lost.
// Called on the connection's own session thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Sockets.h"

// Longest pause between two pieces of one query that still joins them.
inline constexpr std::chrono::milliseconds QueryPieceGap{200};

// Receives one query. The first receive waits up to the socket's receive
// time-out. When the bytes so far are not Complete, further pieces are
// taken while each arrives within QueryPieceGap of the one before, until
// the bytes are Complete, Limit bytes have arrived, the peer ends its
// sending, or Timeout has passed since the start. A query that arrives
// whole is thus answered without waiting. Each receive asks at most
// PieceSize bytes (all that is left when PieceSize is 0 or less). Gives the
// bytes received, empty when none came (closed, time-out or failure).
// Unless they are empty or Limit bytes long, Complete was last called on
// exactly the bytes given, so it may keep what it made of them.
// REQUIRES: Limit > 0; the socket's receive time-out is Timeout.
std::string ReceiveQuery(TSocketHandle Socket, std::size_t Limit, int PieceSize, std::chrono::milliseconds Timeout,
                         const std::function<bool(std::string_view)>& Complete);

// Receives a header that a peer sends before its query and whose first
// bytes tell how long it is: Wanted(bytes so far) gives how many more bytes
// surely belong to it, 0 once it is complete or can never be valid. No
// receive asks for more than that, so the bytes after the header stay
// unread. The first receive waits up to the socket's receive time-out;
// further pieces are joined while each arrives within QueryPieceGap of the
// one before and Timeout has not passed since the start. Gives the bytes
// received. REQUIRES: the socket's receive time-out is Timeout.
std::string ReceiveHeader(TSocketHandle Socket, std::chrono::milliseconds Timeout,
                          const std::function<std::size_t(std::string_view)>& Wanted);

// Sends every byte, repeating the send until all are out, the peer has gone
// or Timeout has passed since the start. True when every byte went out.
bool SendAll(TSocketHandle Socket, std::string_view Bytes, std::chrono::milliseconds Timeout);

// Most bytes that CloseAfterAnswer reads and drops.
inline constexpr std::size_t DrainLimit = 1 << 20;

// Ends the connection after its answer: ends the sending direction, then
// reads and drops what the client still sends (while it comes within
// QueryPieceGap, for at most Linger; with Linger 0 only what has arrived
// already), at most DrainLimit bytes, before closing. Closing with unread
// bytes would reset the connection, and a reset can destroy an answer that
// the client has not read yet.
void CloseAfterAnswer(TSocketGuard& Socket, std::chrono::milliseconds Linger);
