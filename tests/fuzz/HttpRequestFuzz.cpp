// Arbitrary bytes as a received request: classifying them never fails, the request is undecided
// exactly until its line is complete, a track call is always a plain call, and no call puts
// markup into the link page.
#include <cstdint>
#include <cstdlib>

#include "earth/HttpProtocol.h"
#include "text/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view received(reinterpret_cast<const char*>(data), size);
    const vireo::HttpRequest request = vireo::ClassifyHttpRequest(received);
    const bool lineComplete = received.find("\r\n") != std::string_view::npos;
    if ((request.kind == vireo::HttpRequestKind::Incomplete) == lineComplete ||
        (request.kind == vireo::HttpRequestKind::Follow &&
         !vireo::IsFollowableCall(request.call)) ||
        vireo::EscapeHtml(request.call).find_first_of("<>\"'") != std::string::npos) {
        std::abort();
    }
    return 0;
}
