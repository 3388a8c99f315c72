#include "earth/HttpProtocol.h"

#include "text/Text.h"

#include <algorithm>
#include <cmath>

namespace vireo {
namespace {

constexpr std::string_view kServerLine = "Server: Vireo Server v0.2 by Tamberlo\r\n";
constexpr std::string_view kDocumentPrefix = "GET / ";
constexpr std::string_view kTrackPrefix = "GET /track/";
constexpr std::string_view kUntrackPrefix = "GET /untrack/";

bool IsCallCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// The call between `prefix` and the first " HTTP" of the line; false when there is no " HTTP".
bool TakeCall(std::string_view line, std::string_view prefix, std::string& call) {
    const std::string_view rest = line.substr(prefix.size());
    const std::size_t end = rest.find(" HTTP");
    if (end == std::string_view::npos) return false;
    call.assign(rest.substr(0, end));
    return true;
}

}  // namespace

HttpRequest ClassifyHttpRequest(std::string_view received) {
    const std::size_t lineEnd = received.find("\r\n");
    if (lineEnd == std::string_view::npos) return {};
    const std::string_view line = received.substr(0, lineEnd);

    HttpRequest request;
    request.kind = HttpRequestKind::NotImplemented;
    if (line.starts_with(kDocumentPrefix)) {
        request.kind = HttpRequestKind::Document;
    } else if (line.starts_with(kTrackPrefix)) {
        if (TakeCall(line, kTrackPrefix, request.call) && IsFollowableCall(request.call)) {
            request.kind = HttpRequestKind::Follow;
        }
    } else if (line.starts_with(kUntrackPrefix)) {
        if (TakeCall(line, kUntrackPrefix, request.call)) request.kind = HttpRequestKind::Unfollow;
    }
    if (request.kind == HttpRequestKind::NotImplemented) request.call.clear();
    return request;
}

bool IsFollowableCall(std::string_view call) {
    return !call.empty() && call.size() <= 9 &&
           std::all_of(call.begin(), call.end(), IsCallCharacter);
}

std::string DocumentAnswerHeader(std::size_t length) {
    std::string out = "HTTP/1.0 200 OK\r\n";
    out += kServerLine;
    out += "Content-Type: application/vnd.google-earth.kml+xml\r\n";
    out += "Content-Length: " + std::to_string(length) + "\r\n\r\n";
    return out;
}

std::string DocumentAnswer(std::string_view documentUtf8) {
    std::string out = DocumentAnswerHeader(documentUtf8.size());
    out.append(documentUtf8);
    return out;
}

std::string NoContentAnswer() {
    return "HTTP/1.0 204 No Content\r\n" + std::string(kServerLine) + "\r\n";
}

std::string NotImplementedAnswer() {
    return "HTTP/1.0 501 Not Implemented\r\n" + std::string(kServerLine) + "\r\n";
}

std::string LinkPageAnswer(bool following, std::string_view call) {
    std::string out =
        "HTTP/1.0 200 OK\r\n\r\n"
        "<HTML><HEAD><META HTTP-EQUIV=\"Pragma\" CONTENT=\"no-cache\"></HEAD><BODY><center>"
        "<h1>Vireo Decoder</h1><h4>";
    out += following ? "Now Following " : "Stopped Following ";
    out += EscapeHtml(call);
    out += " on Google Earth</h4><script>window.close();</script></center></BODY></HTML>";
    return out;
}

bool UnloadsSlot(int slot, double r) {
    return std::floor(26.0 * r + 5.0) < static_cast<double>(slot);
}

int HttpSlots::Acquire() {
    for (std::size_t i = 1; i < busy_.size(); ++i) {
        if (!busy_[i]) {
            busy_[i] = true;
            return static_cast<int>(i);
        }
    }
    busy_.push_back(true);
    return UpperBound();
}

bool HttpSlots::Release(int slot, double r) {
    if (!IsBusy(slot) || slot == 0) return false;
    busy_[static_cast<std::size_t>(slot)] = false;
    if (slot == UpperBound() && UnloadsSlot(slot, r)) {
        busy_.pop_back();
        return true;
    }
    return false;
}

bool HttpSlots::IsBusy(int slot) const {
    return slot >= 0 && slot <= UpperBound() && busy_[static_cast<std::size_t>(slot)];
}

int HttpSlots::BusyCount() const {
    return static_cast<int>(std::count(busy_.begin() + 1, busy_.end(), true));
}

}  // namespace vireo
