#include "text/Rtf.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vireo {

namespace {

// Windows-1252's characters 0x80-0x9F; the rest of the byte range is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

struct Format {
    bool bold = false, italic = false, underline = false;
    int halfPoints = 24;
    bool skip = false;  // inside a destination that is not shown
    int unicodeSkip = 1;

    bool LooksLike(const Format& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline &&
               halfPoints == o.halfPoints;
    }
};

class Reader {
  public:
    explicit Reader(std::string_view rtf) : in_(rtf) {}

    std::string Run() {
        out_ = "<p>";
        while (at_ < in_.size()) {
            const char c = in_[at_++];
            if (c == '{') {
                stack_.push_back(format_);
                groupStart_ = true;
                continue;
            }
            const bool first = std::exchange(groupStart_, false);
            if (c == '}') {
                if (!stack_.empty()) {
                    format_ = stack_.back();
                    stack_.pop_back();
                }
            } else if (c == '\\') {
                ControlWord(first);
            } else if (c != '\r' && c != '\n') {
                Text(static_cast<unsigned char>(c));
            }
        }
        CloseSpan();
        out_ += "</p>";
        return out_;
    }

  private:
    void ControlWord(bool groupStart) {
        if (at_ >= in_.size()) return;
        const char c = in_[at_];
        if (c == '\\' || c == '{' || c == '}') {
            ++at_;
            Text(static_cast<unsigned char>(c));
            return;
        }
        if (c == '*') {  // an optional destination: nothing of it is shown
            ++at_;
            format_.skip = true;
            return;
        }
        if (c == '\'') {
            const auto hex = [](char h) -> int {
                if (h >= '0' && h <= '9') return h - '0';
                if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                return -1;
            };
            ++at_;
            if (at_ + 2 > in_.size()) {
                at_ = in_.size();
                return;
            }
            const int high = hex(in_[at_]);
            const int low = hex(in_[at_ + 1]);
            at_ += 2;
            if (high >= 0 && low >= 0) Text(static_cast<std::uint32_t>(high * 16 + low));
            return;
        }
        if (!IsLetter(c)) {  // a control symbol: "\~" a hard blank, the rest ignored
            ++at_;
            if (c == '~') Text(0xA0);
            return;
        }
        const std::size_t start = at_;
        while (at_ < in_.size() && IsLetter(in_[at_])) ++at_;
        const std::string_view word = in_.substr(start, at_ - start);
        bool hasNumber = false;
        bool negative = false;
        long number = 0;
        if (at_ < in_.size() && in_[at_] == '-') negative = true, ++at_;
        while (at_ < in_.size() && in_[at_] >= '0' && in_[at_] <= '9' && number < 1000000) {
            number = number * 10 + (in_[at_++] - '0');
            hasNumber = true;
        }
        if (negative) number = -number;
        if (at_ < in_.size() && in_[at_] == ' ') ++at_;
        Apply(word, hasNumber, number, groupStart);
    }

    void Apply(std::string_view word, bool hasNumber, long number, bool groupStart) {
        const bool on = !hasNumber || number != 0;
        if (groupStart &&
            (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
             word == "pict" || word == "header" || word == "footer")) {
            format_.skip = true;
        } else if (word == "par") {
            CloseSpan();
            if (!format_.skip) out_ += "</p>\n<p>";
        } else if (word == "line") {
            Raw("<br>");
        } else if (word == "tab") {
            Raw("&emsp;");
        } else if (word == "bullet") {
            Text(0x2022);
        } else if (word == "emdash") {
            Text(0x2014);
        } else if (word == "endash") {
            Text(0x2013);
        } else if (word == "b") {
            format_.bold = on;
        } else if (word == "i") {
            format_.italic = on;
        } else if (word == "ul") {
            format_.underline = on;
        } else if (word == "ulnone") {
            format_.underline = false;
        } else if (word == "fs" && hasNumber && number > 0) {
            format_.halfPoints = static_cast<int>(number);
        } else if (word == "plain") {
            const Format keep = format_;
            format_ = Format{};
            format_.skip = keep.skip;
            format_.unicodeSkip = keep.unicodeSkip;
        } else if (word == "uc" && hasNumber && number >= 0) {
            format_.unicodeSkip = static_cast<int>(number);
        } else if (word == "u" && hasNumber) {
            Text(static_cast<std::uint32_t>(number < 0 ? number + 65536 : number) & 0xFFFF);
            SkipFallback();
        }
    }

    // After \uN the next characters stand in for readers that cannot show it.
    void SkipFallback() {
        for (int n = format_.unicodeSkip; n > 0 && at_ < in_.size(); --n) {
            if (in_[at_] == '\\' && at_ + 1 < in_.size() && in_[at_ + 1] == '\'') {
                at_ += 4;
            } else if (in_[at_] == '{' || in_[at_] == '}' || in_[at_] == '\\') {
                return;
            } else {
                ++at_;
            }
        }
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    void Text(std::uint32_t c) {
        if (format_.skip) return;
        OpenSpan();
        if (c >= 0x80 && c < 0xA0) c = kCp1252High[c - 0x80];
        switch (c) {
            case '<':
                out_ += "&lt;";
                break;
            case '>':
                out_ += "&gt;";
                break;
            case '&':
                out_ += "&amp;";
                break;
            default:
                AppendUtf8(out_, c);
        }
    }

    void Raw(std::string_view html) {
        if (format_.skip) return;
        OpenSpan();
        out_ += html;
    }

    void OpenSpan() {
        if (open_ && shown_.LooksLike(format_)) return;
        CloseSpan();
        out_ += "<span style=\"font-size:" + std::to_string(format_.halfPoints / 2) +
                (format_.halfPoints % 2 ? ".5" : "") + "pt";
        if (format_.bold) out_ += ";font-weight:bold";
        if (format_.italic) out_ += ";font-style:italic";
        if (format_.underline) out_ += ";text-decoration:underline";
        out_ += "\">";
        shown_ = format_;
        open_ = true;
    }

    void CloseSpan() {
        if (open_) out_ += "</span>";
        open_ = false;
    }

    std::string_view in_;
    std::size_t at_ = 0;
    std::string out_;
    Format format_;
    Format shown_;
    bool open_ = false;
    bool groupStart_ = false;
    std::vector<Format> stack_;
};

}  // namespace

std::string RtfToHtml(std::string_view rtf) {
    return Reader(rtf).Run();
}

}  // namespace vireo
