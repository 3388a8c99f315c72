// vireo-aprs-decode: decodes APRS packets given as TNC2 text (SRC>DEST,PATH:info), one per line
// on standard input, along the same road as packets heard from the TNC. For every line it prints
// the five texts of the position the station list would get (call, position, course/speed,
// altitude, icon code), separated by TABs, or "-" when the packet gives no position.
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>

#include "aprs/Decoders.h"
#include "aprs/Tnc2Text.h"

int main() {
    std::ios::sync_with_stdio(false);
    std::string line, scratch, out;
    char time[16] = "00:00:00";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        std::strftime(time, sizeof time, "%H:%M:%S", local);

    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::optional<vireo::PositionReport> report;
        if (const auto monitor = vireo::Tnc2ToMonitorText(line, time)) {
            report = vireo::DecodeMonitorText(*monitor, scratch);
        }
        if (report) {
            out = report->Call + '\t' + report->Position + '\t' + report->CourseSpeed + '\t' +
                  report->Altitude + '\t' + report->IconCode + '\n';
        } else {
            out = "-\n";
        }
        std::cout << out;
    }
    return 0;
}
