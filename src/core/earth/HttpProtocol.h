// The wire side of the built-in HTTP/1.0 server: what a request asks for, the exact bytes of each
// answer, and the bookkeeping of connection slots. Plain functions of their inputs; the Qt server
// (HttpServer) feeds them the bytes received so far and writes what they return.
//
// A request is decided by its request line alone (the text before the first CR LF); headers and
// body are ignored. Matching is case-sensitive:
//   "GET / ..."               the document (answered with it or with 204 outside a send window)
//   "GET /track/CALL HTTP..."   start following CALL
//   "GET /untrack/CALL HTTP..." stop following (CALL is only echoed back)
//   anything else             501
// A track call is 1 to 9 letters, digits or "-"; any other call, and a link request with no
// " HTTP" after the call, is answered 501 and changes nothing. An untrack call may be any text
// (it is echoed HTML-escaped) but still needs the " HTTP" after it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

// Longest request line the server waits for; a client that sends more without a CR LF is closed.
inline constexpr std::size_t kMaxHttpRequestLine = 8192;

enum class HttpRequestKind { Incomplete, Document, Follow, Unfollow, NotImplemented };

struct HttpRequest {
    HttpRequestKind kind = HttpRequestKind::Incomplete;
    std::string call;  // Track and Untrack only: the call as it stands in the request line
};

// Decides the request from the bytes received so far: Incomplete until the first CR LF arrived.
HttpRequest ClassifyHttpRequest(std::string_view received);

// True for a call the server accepts in a track request: 1 to 9 ASCII letters, digits or "-".
bool IsFollowableCall(std::string_view call);

// "200 OK" with the KML content type; `documentUtf8` is the body and its byte count the
// Content-Length.
std::string DocumentAnswer(std::string_view documentUtf8);
// The header block of that answer alone, for a body of `length` bytes.
std::string DocumentAnswerHeader(std::size_t length);
std::string NoContentAnswer();
std::string NotImplementedAnswer();
// The self-closing page answering a link request: "Now Following CALL" when `following`, else
// "Stopped Following CALL", with the call HTML-escaped.
std::string LinkPageAnswer(bool following, std::string_view call);

// The rule for giving back a finished connection slot: the topmost slot `slot` is unloaded when
// floor(26 * r + 5) < slot, r drawn uniformly from [0, 1). Slots 1 to 5 are never unloaded, slot
// 31 and above always.
bool UnloadsSlot(int slot, double r);

// Connection slots 1..UpperBound() (slot 0 is the listener). A new connection takes the lowest
// free slot, or a new one above the top; a finished one frees its slot, and only the topmost slot
// is ever unloaded (by UnloadsSlot), so the loaded slots are always 1..UpperBound() without gaps.
class HttpSlots {
  public:
    int Acquire();
    // Frees `slot` (which must be busy) and unloads it when it is the top and `r` says so;
    // returns whether it was unloaded.
    bool Release(int slot, double r);

    int UpperBound() const { return static_cast<int>(busy_.size()) - 1; }
    bool IsBusy(int slot) const;
    int BusyCount() const;

  private:
    std::vector<bool> busy_{true};  // element 0 stands for the listener
};

}  // namespace vireo
