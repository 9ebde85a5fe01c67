// The error manager and its built-in catalogue.
#include "diagnostics/QbGeserreurs.h"

#include "diagnostics/Exceptions.h"
#include "lexical/TextEncoding.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace
{
constexpr std::size_t MaxShortString = 255;

std::array<const char*, QbGeserreurs::CatalogueSize> BuildDefaults()
{
    std::array<const char*, QbGeserreurs::CatalogueSize> table{};
    table.fill("");
#define MESSAGE(number, name, text) table[number] = text;
#include "diagnostics/Messages.def"
#undef MESSAGE
    return table;
}

const std::array<const char*, QbGeserreurs::CatalogueSize>& Defaults()
{
    static const auto table = BuildDefaults();
    return table;
}

std::string Cut(std::string text)
{
    if (text.size() > MaxShortString) {
        text.resize(MaxShortString);
    }
    return text;
}
} // namespace

QbGeserreurs::QbGeserreurs()
{
    Reset(nullptr);
}

void QbGeserreurs::Reset(const TokenLocator* newLocator)
{
    locator = newLocator;
    catalogueLoaded = false;
    detail.clear();
    catalogue.fill(std::string());
}

void QbGeserreurs::Raise(int number)
{
    int line = 0;
    int column = 0;
    if (locator != nullptr) {
        locator->TokenStart(line, column);
    }
    errorLine = line;
    errorColumn = column;
    errorNumber = number;
    message = MessageText(number);
    throw InterpExcept(message, number);
}

void QbGeserreurs::Relocate()
{
    if (locator != nullptr) {
        locator->TokenStart(errorLine, errorColumn);
    }
}

void QbGeserreurs::RaiseWith(int number, const std::string& newDetail)
{
    detail = Cut(newDetail);
    if (number > 0) {
        Raise(number);
    }
    errorNumber = 0;
}

void QbGeserreurs::RaiseWith(ErrorNumber number, const std::string& newDetail)
{
    detail = Cut(newDetail);
    Raise(ToInt(number));
}

std::string QbGeserreurs::MessageText(int number)
{
    std::string text;
    if (number >= 0 && number < CatalogueSize) {
        text = catalogueLoaded ? catalogue[number] : DefaultMessage(number);
    }
    if (!detail.empty()) {
        text += " ( " + detail + " )";
        detail.clear();
    }
    return Cut(text);
}

void QbGeserreurs::Record(int number, int line, int column)
{
    errorNumber = number;
    errorLine = line;
    errorColumn = column;
    message = MessageText(number);
}

bool QbGeserreurs::LoadCatalogue(const std::string& fileName)
{
    if (fileName.empty()) {
        return false;
    }
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        return false;
    }
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string text = TextEncoding::DecodeFileText(buffer.str());

    catalogue.fill(std::string());
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            continue;
        }
        int number = -1;
        const char* first = line.data();
        const char* last = line.data() + colon;
        const auto [end, error] = std::from_chars(first, last, number);
        if (error != std::errc() || end != last || number < 0 || number >= CatalogueSize) {
            continue;
        }
        catalogue[number] = Cut(line.substr(colon + 1));
    }
    catalogueLoaded = true;
    return true;
}

bool QbGeserreurs::WriteDefaultCatalogue(const std::string& fileName)
{
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    for (int number = 0; number < CatalogueSize; ++number) {
        file << number << ':' << Defaults()[number] << "\n";
    }
    return static_cast<bool>(file);
}

std::string QbGeserreurs::DefaultMessage(int number)
{
    if (number < 0 || number >= CatalogueSize) {
        return {};
    }
    return Defaults()[number];
}
