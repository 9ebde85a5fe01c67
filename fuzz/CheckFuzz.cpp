// Arbitrary bytes as a program, checked by the Pascal and the C front-ends.
#include "frontend/QbCSyntaxe.h"
#include "frontend/QbPascalSyntaxe.h"
#include "lexical/SourceText.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{
// Every page holds the fuzzed text, so a used unit or an include finds it too.
class FuzzPages : public SourceText
{
public:
    explicit FuzzPages(std::string pageText) : text(std::move(pageText)) {}
    bool PageText(const std::string&, std::string& pageText) override
    {
        pageText = text;
        return true;
    }
    std::string CurrentPageName() override { return "fuzz.pas"; }

private:
    std::string text;
};

// A check must end with a number (0 or an error), never a crash, a hang or a foreign exception.
template <typename Driver> void Check(FuzzPages& pages, bool allowIncludes)
{
    DriverEnvironment environment;
    environment.Pages = &pages;
    Driver driver(environment);
    driver.SetOptionA(OptionA::ForbidInclude, !allowIncludes);
    driver.SetOptionB(OptionB::ForbidLabels, false);
    driver.Run("+fuzz.pas", RunMode::Check);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the front-end and the options, the rest is the text.
    const std::uint8_t selector = data[0];
    FuzzPages pages(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    if ((selector & 1) == 0) {
        Check<QbPascalSyntaxe>(pages, (selector & 2) != 0);
    } else {
        Check<QbCSyntaxe>(pages, (selector & 2) != 0);
    }
    return 0;
}
