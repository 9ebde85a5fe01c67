// Reading, checking and writing vocabulary files.
#include "lexical/VocabularyFile.h"

#include "lexical/TextEncoding.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace VocabularyFile {
std::optional<std::uint32_t> PackedModificationTime(const std::string& path)
{
    std::error_code error;
    const auto fileTime = std::filesystem::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    const auto systemTime = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        std::chrono::file_clock::to_sys(fileTime));
    const std::time_t seconds = std::chrono::system_clock::to_time_t(systemTime);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    // The packed form cannot hold years before 1980; such a file simply never matches a stamp.
    const int year = local.tm_year + 1900 < 1980 ? 0 : local.tm_year + 1900 - 1980;
    const std::uint32_t date = (static_cast<std::uint32_t>(year & 0x7F) << 9) |
                               (static_cast<std::uint32_t>(local.tm_mon + 1) << 5) |
                               static_cast<std::uint32_t>(local.tm_mday);
    const std::uint32_t time = (static_cast<std::uint32_t>(local.tm_hour) << 11) |
                               (static_cast<std::uint32_t>(local.tm_min) << 5) |
                               static_cast<std::uint32_t>(local.tm_sec / 2);
    return (date << 16) | time;
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines)
{
    lines.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const std::string text = TextEncoding::DecodeFileText(bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        std::string field =
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (field.empty()) {
            break;
        }
        fields.push_back(std::move(field));
        if (tab == std::string::npos) {
            break;
        }
        start = tab + 1;
    }
    return fields;
}

std::vector<std::string> SplitAllFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

bool StampMatches(const std::string& stampField, std::uint32_t packedTime)
{
    if (stampField.size() != StampWidth) {
        return false;
    }
    std::uint64_t stamp = 0;
    for (char ch : stampField) {
        if (ch < '0' || ch > '9') {
            return false;
        }
        stamp = stamp * 10 + static_cast<std::uint64_t>(ch - '0');
    }
    if (stamp >= (1U << 24)) {
        return false;
    }
    // A stamp later than the file's time (a clock set back) is not a sign of tampering.
    const std::int64_t difference =
        static_cast<std::int64_t>(packedTime & 0xFFFFFF) - static_cast<std::int64_t>(stamp);
    return difference <= static_cast<std::int64_t>(StampTolerance);
}

bool IsStampValid(const std::string& path)
{
    const auto packedTime = PackedModificationTime(path);
    std::vector<std::string> lines;
    if (!packedTime || !ReadLines(path, lines) || lines.empty()) {
        return false;
    }
    const std::string& header = lines.front();
    return StampMatches(header.substr(0, header.find('\t')), *packedTime);
}

std::vector<std::string> HeaderNames(const std::string& headerLine)
{
    // Fields: stamp, caption, then the names. The stamp may be blank while the editor writes and
    // the caption may be empty; neither ends the list of names.
    std::vector<std::string> names;
    const std::size_t stampEnd = headerLine.find('\t');
    const std::size_t captionEnd =
        stampEnd == std::string::npos ? std::string::npos : headerLine.find('\t', stampEnd + 1);
    if (captionEnd == std::string::npos) {
        return names;
    }
    for (const std::string& field : SplitFields(headerLine.substr(captionEnd + 1))) {
        if (names.size() == 3) {
            break;
        }
        names.push_back(field.substr(0, NameLimit));
    }
    return names;
}

bool ReadGrid(const std::string& path, std::string& indexCaption, std::vector<std::string>& names,
              std::vector<std::vector<std::string>>& rows)
{
    indexCaption.clear();
    names.clear();
    rows.clear();
    std::vector<std::string> lines;
    if (!ReadLines(path, lines) || lines.empty()) {
        return false;
    }
    const std::vector<std::string> header = SplitAllFields(lines.front());
    if (header.size() > 1) {
        indexCaption = header[1];
    }
    names = HeaderNames(lines.front());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> row = SplitAllFields(lines[i]);
        row.resize(5);
        rows.push_back(std::move(row));
    }
    return true;
}

bool Write(const std::string& path, const std::string& indexCaption, const std::string& name1,
           const std::string& name2, const std::vector<std::vector<std::string>>& rows)
{
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (!file) {
            return false;
        }
        file << std::string(StampWidth, ' ') << '\t' << indexCaption << '\t' << name1 << '\t'
             << name2 << "\r\n";
        for (const auto& row : rows) {
            if (row.empty() || row.front().empty()) {
                break;
            }
            // Trailing empty cells are left out: the reader stops at the first empty field.
            std::size_t used = row.size() < 4 ? row.size() : 4;
            while (used > 0 && row[used - 1].empty()) {
                --used;
            }
            for (std::size_t i = 0; i < used; ++i) {
                file << (i > 0 ? "\t" : "") << row[i];
            }
            file << "\r\n";
        }
        if (!file.flush()) {
            return false;
        }
    }
    const auto packedTime = PackedModificationTime(path);
    if (!packedTime) {
        return false;
    }
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%012u", static_cast<unsigned>(*packedTime & 0xFFFFFF));
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    if (!file) {
        return false;
    }
    file.seekp(0);
    file.write(stamp, static_cast<std::streamsize>(StampWidth));
    return static_cast<bool>(file.flush());
}
} // namespace VocabularyFile
