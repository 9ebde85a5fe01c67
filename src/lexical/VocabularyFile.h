// Vocabulary files (.mvv, .icv): the stamped header, the word lines, and writing them from a grid.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A vocabulary file is plain Windows-1252 text with tab-separated fields. Line 1: a stamp of 12
// decimal digits, a caption, then the names of vocabularies 1 to 3. Each further line: a default
// wording, its index in the module, then its wordings in vocabularies 1 to 3. The stamp is the
// file's own packed modification time (lower 24 bits) as the vocabulary editor saved it, so a
// file edited by other means some minutes later no longer matches and is refused to pupils.
namespace VocabularyFile {
constexpr std::size_t StampWidth = 12;
constexpr std::uint32_t StampTolerance = 200;
constexpr std::size_t NameLimit = 10;
constexpr std::size_t WordLimit = 255;

// The packed local date-time of the file's last modification: date in the upper 16 bits
// ((year - 1980) << 9 | month << 5 | day), time in the lower 16 (hour << 11 | minute << 5 |
// second / 2). Empty when the file does not exist.
std::optional<std::uint32_t> PackedModificationTime(const std::string& path);

// The file's lines, decoded to Windows-1252, without line ends; empty when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>& lines);

// The fields of a line split at tabs; the fields after the first empty one are dropped.
std::vector<std::string> SplitFields(const std::string& line);
// Every field of a line split at tabs, empty ones included (a word line is read by position, so
// a wording may be left empty in one vocabulary and given in the next).
std::vector<std::string> SplitAllFields(const std::string& line);

// Whether `stampField` is a valid stamp for a file modified at `packedTime`: 12 decimal digits,
// below 2^24, and (packedTime's lower 24 bits) - stamp <= 200.
bool StampMatches(const std::string& stampField, std::uint32_t packedTime);

// Whether a pupil may use the file: it exists, its first line carries a matching stamp.
bool IsStampValid(const std::string& path);

// The names of vocabularies 1-3 on the header line (at most three, each cut to 10 characters).
std::vector<std::string> HeaderNames(const std::string& headerLine);

// Reads a vocabulary file back into the editor's grid: the index caption, the names of the
// further vocabularies and one row per word line (default wording, index, wording 1, 2, 3, with
// empty cells where the line has none). The stamp is not checked: the editor is the teacher's.
bool ReadGrid(const std::string& path, std::string& indexCaption, std::vector<std::string>& names,
              std::vector<std::vector<std::string>>& rows);

// Writes a vocabulary file as the vocabulary editor does: a header with 12 blanks in place of
// the stamp, `indexCaption` and the two names; then one line per row (default wording, index,
// wording 1, wording 2) until the first row with an empty default wording; then the file's own
// packed date-time is written over the blanks. False when the file cannot be written.
bool Write(const std::string& path, const std::string& indexCaption, const std::string& name1,
           const std::string& name2, const std::vector<std::vector<std::string>>& rows);
} // namespace VocabularyFile
