// Drivers over a private configuration directory, and helpers to write vocabulary files in it.
#pragma once

#include "frontend/ProgramOptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/VocabularyFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// A driver set up as the front-ends set theirs up (the Pascal one reads case-insensitively); the
// dictionary needs only its options and environment, none of the parsing.
class VocabularyDriver : public QbSyntaxe
{
  public:
    VocabularyDriver(const DriverEnvironment& environmentRef, Language languageOfDriver)
        : QbSyntaxe(environmentRef, languageOfDriver)
    {
        if (languageOfDriver == Language::Pascal) {
            SetOptionA(OptionA::CaseInsensitive, true);
        }
    }
    void ParseHeading(std::string& name) override { name.clear(); }
    void ParseMainBlock() override {}
    void PrepareRun(int) override {}
    int HeadingKind(const std::string&) override { return 0; }
    bool IsRoutineHeading(const std::string&) override { return false; }
    void ExecuteRoutineBody(std::uint16_t) override {}
};

class VocabularyTest : public ::testing::Test
{
  protected:
    VocabularyTest()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "movila-vocab-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            directory = pattern;
        }
        environment.ConfigDirectory = directory;
    }

    ~VocabularyTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    std::unique_ptr<QbSyntaxe> PascalDriver()
    {
        return std::make_unique<VocabularyDriver>(environment, Language::Pascal);
    }

    std::unique_ptr<QbSyntaxe> CDriver()
    {
        return std::make_unique<VocabularyDriver>(environment, Language::C);
    }

    std::string PathOf(const std::string& fileName) const { return directory + "/" + fileName; }

    // A stamped SYSTEM.mvv naming `name1` (and `name2`) with the given rows.
    bool WriteSystemVocabulary(const std::vector<std::vector<std::string>>& rows,
                               const std::string& name1 = "francais", const std::string& name2 = "")
    {
        return VocabularyFile::Write(PathOf("SYSTEM.mvv"), "index", name1, name2, rows);
    }

    // Moves the file's modification time `hours` later, as an edit by hand would.
    void TouchLater(const std::string& fileName, int hours)
    {
        const std::string path = PathOf(fileName);
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                                   std::chrono::hours(hours));
    }

    std::string directory;
    DriverEnvironment environment;
};
