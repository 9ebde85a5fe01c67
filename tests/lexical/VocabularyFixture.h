// Drivers over a private configuration directory, and helpers to write vocabulary files in it.
#pragma once

#include "frontend/QbCSyntaxe.h"
#include "frontend/QbPascalSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/VocabularyFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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
        return std::make_unique<QbPascalSyntaxe>(environment);
    }

    std::unique_ptr<QbSyntaxe> CDriver() { return std::make_unique<QbCSyntaxe>(environment); }

    std::string PathOf(const std::string& fileName) const { return directory + "/" + fileName; }

    // A stamped SYSTEM.mvv naming `name1` (and `name2`) with the given rows.
    bool WriteSystemVocabulary(const std::vector<std::vector<std::string>>& rows,
                               const std::string& name1 = "francais",
                               const std::string& name2 = "")
    {
        return VocabularyFile::Write(PathOf("SYSTEM.mvv"), "index", name1, name2, rows);
    }

    // Moves the file's modification time `hours` later, as an edit by hand would.
    void TouchLater(const std::string& fileName, int hours)
    {
        const std::string path = PathOf(fileName);
        std::filesystem::last_write_time(
            path, std::filesystem::last_write_time(path) + std::chrono::hours(hours));
    }

    std::string directory;
    DriverEnvironment environment;
};
