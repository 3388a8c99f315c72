#include "aprs/Decoders.h"

#include "aprs/DecoderParts.h"
#include "aprs/MonitorText.h"
#include "text/Text.h"

namespace vireo {

namespace detail {

bool CallField(std::string_view header, char (&call)[9]) {
    const auto text = CallTextFromHeader(header);
    if (!text) return false;
    for (std::size_t i = 0; i < 9; ++i) call[i] = i < text->size() ? (*text)[i] : ' ';
    return true;
}

std::size_t AltitudeFromCommentInto(std::string_view field, std::size_t from, char* out) {
    const auto at = from < field.size() ? field.find("/A=", from) : std::string_view::npos;
    if (at != std::string_view::npos) {
        // The 6 characters after "/A=", or those that remain.
        if (const auto feet = ReadNumber(field.substr(at + 3, 6))) {
            return static_cast<std::size_t>(PutNumber(out, RoundHalfAway(*feet * 0.3048), 1) - out);
        }
    }
    out[0] = out[1] = out[2] = '-';
    return 3;
}

void ReportTexts::Into(PositionReport& report) const {
    report.Call.assign(call, sizeof call);
    report.Position.assign(position, sizeof position);
    report.CourseSpeed.assign(courseSpeed, courseSpeedLength);
    report.Altitude.assign(altitude, altitudeLength);
    report.IconCode.assign(iconCode);
}

void PutCourseSpeed(ReportTexts& texts, long long course, double speedKnots) {
    char* p = PutNumber(texts.courseSpeed, course, 3);
    *p++ = '/';
    p = PutNumber(p, RoundHalfAway(speedKnots * kKmhPerKnot), 3);
    texts.courseSpeedLength = static_cast<std::size_t>(p - texts.courseSpeed);
}

}  // namespace detail

std::string AltitudeFromComment(std::string_view field, std::size_t from) {
    char out[24];
    return std::string(out, detail::AltitudeFromCommentInto(field, from, out));
}

DecodeResult DecodeMicE(std::string_view header, std::string_view info) {
    DecodeResult result;
    PositionReport report;
    if (detail::DecodeMicEInto(header, info, &result, &report)) result.report = std::move(report);
    return result;
}

DecodeResult DecodeCompressed(std::string_view header, std::string_view info) {
    DecodeResult result;
    PositionReport report;
    if (detail::DecodeCompressedInto(header, info, &result, &report)) {
        result.report = std::move(report);
    }
    return result;
}

DecodeResult DecodeUncompressed(std::string_view header, std::string_view info) {
    DecodeResult result;
    PositionReport report;
    if (detail::DecodeUncompressedInto(header, info, &result, &report)) {
        result.report = std::move(report);
    }
    return result;
}

DecodeResult RunDecoder(PositionDecoder decoder, std::string_view header, std::string_view info) {
    switch (decoder) {
        case PositionDecoder::MicE:
            return DecodeMicE(header, info);
        case PositionDecoder::Compressed:
            return DecodeCompressed(header, info);
        case PositionDecoder::Uncompressed:
            return DecodeUncompressed(header, info);
    }
    return {};
}

DecodeResult RunDecoder(const DecoderCall& call) {
    return RunDecoder(call.decoder, call.header, call.info);
}

std::optional<PositionReport> DecodeReport(PositionDecoder decoder, std::string_view header,
                                           std::string_view info) {
    std::optional<PositionReport> report(std::in_place);
    bool kept = false;
    switch (decoder) {
        case PositionDecoder::MicE:
            kept = detail::DecodeMicEInto(header, info, nullptr, &*report);
            break;
        case PositionDecoder::Compressed:
            kept = detail::DecodeCompressedInto(header, info, nullptr, &*report);
            break;
        case PositionDecoder::Uncompressed:
            kept = detail::DecodeUncompressedInto(header, info, nullptr, &*report);
            break;
    }
    if (!kept) report.reset();
    return report;
}

std::optional<PositionReport> DecodeMonitorText(std::string_view monitorText,
                                                std::string& scratch) {
    const MonitorLines lines = SplitMonitorLines(monitorText);
    const auto dispatch = DispatchPacketView(lines.count, lines.lines[0], lines.lines[1], scratch);
    if (!dispatch.call) return std::nullopt;
    return DecodeReport(dispatch.call->decoder, dispatch.call->header, dispatch.call->info);
}

}  // namespace vireo
