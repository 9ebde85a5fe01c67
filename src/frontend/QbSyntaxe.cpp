// The driver: construction, the options, Run and the step points.
#include "frontend/QbSyntaxe.h"

#include "diagnostics/Exceptions.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"
#include "runtime/QbHeap.h"
#include "symbols/QbModule.h"
#include "symbols/QbTable.h"

#include <algorithm>
#include <random>

QbSyntaxe::QbSyntaxe(const DriverEnvironment& env, Language lang)
    : environment(env), language(lang), runHost(env.Host != nullptr ? env.Host : &silentHost)
{
    RandomSeed = std::random_device{}();
    RandomState = RandomSeed;
    OptionsChanged();
    AskHost();
    Table = std::make_unique<QbTable>(*this);
    Data = std::make_unique<QbGesdata>(*this);
    Errors = std::make_unique<QbGeserreurs>();
    Errors->LoadCatalogue(environment.CatalogueFile);
    Dictionary = std::make_unique<QbDico>(*this, static_cast<std::uint8_t>(language));
}

void QbSyntaxe::AskHost()
{
    quietEscape = environment.Host != nullptr ? runHost->QuietEscapeFlag() : nullptr;
    hostFollowsStatements = runHost->FollowsStatements();
    StepModesChanged();
}

void QbSyntaxe::OptionsChanged()
{
    plainFrames = !OptionB(OptionB::InitializeVariables) && !OptionA(OptionA::ForbidRecursion);
    const std::array<std::uint32_t, 3> words{options.A, options.B, options.C};
    const auto kept = std::find(optionWords.begin(), optionWords.end(), words);
    if (kept != optionWords.end()) {
        optionsKey = static_cast<std::uint32_t>(kept - optionWords.begin());
    } else if (optionWords.size() < KeptOptionWords) {
        optionsKey = static_cast<std::uint32_t>(optionWords.size());
        optionWords.push_back(words);
    } else {
        // A key no plan has: the words' plans are made again.
        optionsKey = nextOptionsKey++;
        if (nextOptionsKey == 0) {
            nextOptionsKey = KeptOptionWords;
        }
    }
}

QbSyntaxe::~QbSyntaxe() = default;

void QbSyntaxe::AttachLexer()
{
    Errors->SetLocator(Lexer.get());
}

void QbSyntaxe::SetOptionA(std::uint32_t bit, bool on)
{
    const std::uint32_t before = options.A;
    options.A = on ? (options.A | bit) : (options.A & ~bit);
    if (before == options.A) {
        return;
    }
    OptionsChanged();
    if (Dictionary == nullptr) {
        return;
    }
    // The automatic units exist as modules exactly while their option is on.
    const auto follow = [this](std::uint32_t optionBit, const char* unitName) {
        QbModule* module = Dictionary->ModuleByName(unitName);
        if (OptionA(optionBit) && module == nullptr) {
            Dictionary->AddOptionalModules();
        } else if (!OptionA(optionBit) && module != nullptr) {
            Dictionary->RemoveModule(module);
        }
    };
    if ((bit & OptionA::AutoCrt) != 0) {
        follow(OptionA::AutoCrt, "CRT");
    }
    if ((bit & OptionA::AutoGraph) != 0) {
        follow(OptionA::AutoGraph, "GRAPH");
    }
}

void QbSyntaxe::SetOptionB(std::uint32_t bit, bool on)
{
    const bool wasSameSeries = OptionB(OptionB::SameRandomSeries);
    const std::uint32_t before = options.B;
    options.B = on ? (options.B | bit) : (options.B & ~bit);
    if (before != options.B) {
        OptionsChanged();
    }
    if (!wasSameSeries && OptionB(OptionB::SameRandomSeries)) {
        RandomSeed = std::random_device{}();
    }
}

void QbSyntaxe::SetOptionC(std::uint32_t bit, bool on)
{
    const std::uint32_t before = options.C;
    options.C = on ? (options.C | bit) : (options.C & ~bit);
    if (before != options.C) {
        OptionsChanged();
    }
}

void QbSyntaxe::SetLimits(int nesting, int stackMaximum, int passes, int digits)
{
    options.MaxNesting = std::clamp(nesting, 1, 9);
    options.MaxStack = std::clamp(stackMaximum, 1, 600);
    options.MaxPasses = std::clamp(passes / 100 * 100, 100, 30000);
    options.RealDigits = std::clamp(digits, 5, 14);
}

void QbSyntaxe::SetOptions(const ProgramOptions& newOptions)
{
    const std::uint32_t automatic = OptionA::AutoCrt | OptionA::AutoGraph;
    options = newOptions;
    options.A = (options.A & ~automatic);
    OptionsChanged();
    SetOptionA(OptionA::AutoCrt, (newOptions.A & OptionA::AutoCrt) != 0);
    SetOptionA(OptionA::AutoGraph, (newOptions.A & OptionA::AutoGraph) != 0);
    SetLimits(newOptions.MaxNesting, newOptions.MaxStack, newOptions.MaxPasses,
              newOptions.RealDigits);
    options.CodeGrouping = std::clamp(newOptions.CodeGrouping, 0, 2);
    // The special letters may have changed: the dictionary's wordings are mapped again.
    if (Dictionary != nullptr) {
        Dictionary->WordsChanged();
    }
}

std::string QbSyntaxe::Word(std::uint16_t number) const
{
    return Dictionary->WordTextRef(number);
}

int QbSyntaxe::CurrentLine() const
{
    return Lexer->LineNumber();
}

int QbSyntaxe::Run(const std::string& mainName, int mode)
{
    Execute = (mode & (RunMode::StartStepping | RunMode::Execute)) != 0;
    Checking = (mode & RunMode::Check) != 0;
    SetStepping((mode & RunMode::StartStepping) != 0);
    StepInto = (mode & RunMode::StepInto) != 0;
    MicroStep = (mode & RunMode::MicroStep) != 0;
    Generate = (mode & RunMode::Generate) != 0;
    SetTraceViews((mode & RunMode::TraceViews) != 0);
    AskHost();

    Errors->RaiseWith(0, "");
    Table->ForgetLookups();
    CalledFromMain = false;
    UpdateModels = (mode & RunMode::NoModelRefresh) == 0;
    ViewEvaluations = 0;
    ConstantContext = false;
    UnitCount = 8;
    if (!Execute) {
        HeapActive = false;
    }
    Messages.clear();
    reportSourceName.clear();
    Halted = false;
    Escaped = false;
    HaltCode = 0;

    try {
        PrepareRun(mode);
        if (!Lexer->OpenSource(mainName)) {
            std::string shown = mainName;
            if (!shown.empty() && shown[0] == '+') {
                shown.erase(0, 1);
            } else if (!shown.empty() && shown[0] == '#') {
                shown = shown.substr(1, shown.find('#', 1) - 1);
            }
            Errors->RaiseWith(ErrorNumber::CannotOpenInclude, shown);
        }
        if (Execute) {
            ExecuteProgram();
        } else {
            ParseProgram();
        }
    } catch (const HaltExcept& halt) {
        Halted = !halt.IsEscape();
        Escaped = halt.IsEscape();
        HaltCode = halt.ExitCode;
        Data->UnwindAll();
        reportSourceName = Lexer->SourceName(false);
        Host().ShowLine(reportSourceName, Lexer->LineNumber(), Lexer->Column());
    } catch (const InterpExcept&) {
        reportSourceName = Lexer->SourceName(false);
    } catch (const GotoExcept&) {
        // A GOTO or EXIT that found no owner ends the program where it stands.
        reportSourceName = Lexer->SourceName(false);
    }

    Lexer->CloseAllSources();
    Checking = false;
    Execute = false;
    const int number = Errors->Number();
    if (number != 0 || (mode & RunMode::ShowReport) != 0) {
        Host().ShowReport(reportSourceName, number,
                          number != 0 ? Errors->Message() : Errors->MessageText(0),
                          number != 0 ? Errors->Line() : -1, number != 0 ? Errors->Column() : -1);
    }
    return number;
}

// A check or compilation: a fresh symbol table whose entry 1 is the program (or unit) named by
// the heading, the automatic modules' names, then the text itself. The global area starts
// after the modules' variables.
void QbSyntaxe::ParseProgram()
{
    Table->Reset();
    for (ModuleSlot& slot : ModuleSlots) {
        slot.Flags &= static_cast<std::uint8_t>(~1u);
    }
    std::string name;
    ParseHeading(name);
    CurrentRoutine = Table->NewEntry(name, EntryKind::Procedure, 0);
    for (int slot = 0; slot < SlotCount && !ModuleSlots[slot].Name.empty(); ++slot) {
        if ((ModuleSlots[slot].Flags & 4) != 0) {
            ActivateModule(slot);
        }
    }
    // Parsers carry a type as a type code (up to the last class code) or as a type entry: the
    // program's own entries must come after every code, however few names the modules declared.
    while (Table->NextFree() <= TypeCode::AbstractClass) {
        Table->NewEntry("", EntryKind::Label, 0);
    }
    Table->MarkUserStart();
    GlobalsSize = Table->GlobalSize();
    ParseMainBlock();
    Table->SetValue(1, GlobalsSize);
}

void QbSyntaxe::StopForEscape()
{
    throw HaltExcept("escape");
}

void QbSyntaxe::WatchedStepPoint(RunHost& host)
{
    const std::string source = Lexer->SourceName(false);
    if (traceViews) {
        int line = Lexer->LineNumber();
        int column = Lexer->Column();
        if (MicroStep) {
            // Inside an expression the reader may already stand on the next line: the pushed or
            // popped value belongs to the line of the token being read.
            Lexer->TokenStart(line, column);
            ++line;
            ++column;
        }
        host.ShowLine(source, line, column);
    }
    if (!stepping) {
        if (host.EscapePending()) {
            throw HaltExcept("escape");
        }
        conditionFailed = false;
        const bool stops = host.StopsAt(source, Lexer->LineNumber());
        if (conditionFailed) {
            conditionFailed = false;
            throw HaltExcept("escape");
        }
        if (stops) {
            SetStepping(true);
            host.ShowLine(source, Lexer->LineNumber(), Lexer->Column());
        }
    }
    if (stepping) {
        host.RefreshViews();
        const int command = host.WaitForStep(RunMode::StartStepping);
        SetStepping((command & RunMode::StartStepping) != 0);
        StepInto = (command & RunMode::StepInto) != 0;
        MicroStep = (command & RunMode::MicroStep) != 0;
        SetTraceViews(stepping);
    }
}
