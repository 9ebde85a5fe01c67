// The Pascal System unit: default words, type names, word lists and routine usage texts.
#include "runtime/QbPSystem.h"

#include "runtime/SystemConsole.h"
#include "runtime/SystemMemory.h"
#include "runtime/SystemRoutines.h"
#include "symbols/QbTable.h"

#include <array>

namespace {
// Index i + 1 holds words[i]; "" leaves a code without a default wording (42 and 93-96 take a
// meaning only when a vocabulary words them; 93 and 94, empty, mean ":=").
constexpr std::array<const char*, QbPSystem::WordTotal> DefaultWordList = {
    // 1-20
    "PROGRAM", "USES", "CONST", "LABEL", "TYPE", "VAR", "PROCEDURE", "FUNCTION", "BEGIN", "CASE",
    "OF", "ELSE", "END", "IF", "THEN", "ELSE", "WHILE", "DO", "WITH", "DO",
    // 21-40
    "REPEAT", "UNTIL", "FOR", "TO", "DOWNTO", "DO", "END", "STRING", "PACKED", "FILE", "OF", "TEXT",
    "SET", "OF", "ARRAY", "OF", "RECORD", "CASE", "OF", "END",
    // 41-60
    "END", "", "VAR", "FORWARD", "EXTERNAL", "INLINE", "|", "GOTO", "@", "NOT", "IN", "ABSOLUTE",
    "NIL", "TRUE", "FALSE", "DIV", "MOD", "AND", "SHL", "SHR",
    // 61-80
    "OR", "XOR", "BYTE", "INTEGER", "WORD", "LONGINT", "BOOLEAN", "CHAR", "REAL", "POINTER",
    "RESULT", "UNIT", "INTERFACE", "IMPLEMENTATION", "AND_THEN", "OR_ELSE", "CLASS", "PRIVATE",
    "PROTECTED", "PUBLIC",
    // 81-99
    "END", "VIRTUAL", "ABSTRACT", "OVERRIDE", "FINAL", "PROPERTY", "READ", "WRITE", "CONST", "OUT",
    "DATABASE", "USER", "", "", "", "", "MODELS", "INPUT", "OUTPUT",
    // 100-127: no words
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "",
    // 128-150
    "RELEASE", "RESET", "REWRITE", "GETMEM", "SWAP", "DELETE", "ODD", "SIN", "WRITE", "CHDIR",
    "FILEPOS", "LN", "PTR", "SEEKEOF", "SQRT", "VAL", "WRITELN", "ARCTAN", "COPY", "EOLN", "FLUSH",
    "INSERT", "MEMAVAIL",
    // 151-175
    "PARAMSTR", "READLN", "ROUND", "SEG", "SPTR", "STR", "TRUNCATE", "ADDR", "BLOCKREAD", "CLOSE",
    "CSEG", "DSEG", "EXIT", "FILLCHAR", "FREEMEM", "HI", "IORESULT", "MARK", "MOVE", "ORD", "POS",
    "RANDOMIZE", "RENAME", "RMDIR", "SEEK",
    // 176-200
    "SEEKEOLN", "SETTEXTBUF", "SIZEOF", "SQR", "SSEG", "SUCC", "TRUNC", "UPCASE", "ABS", "APPEND",
    "ASSIGN", "BLOCKWRITE", "CHR", "CONCAT", "COS", "DEC", "DISPOSE", "EOF", "ERASE", "EXP",
    "FILESIZE", "FRAC", "GETDIR", "HALT", "INC",
    // 201-215 (214, the power operator, has no default wording)
    "INT", "LENGTH", "LO", "MAXAVAIL", "MKDIR", "NEW", "OFS", "PARAMCOUNT", "PI", "PRED", "RANDOM",
    "READ", "QUERY", "", "COMPLEXITY"};

// Usage texts of the routines 128-215, in default words: the dictionary re-words them into the
// current vocabulary. Placeholder names are chosen not to be words of the vocabulary.
constexpr std::array<const char*, QbPSystem::WordTotal - QbPSystem::FirstRoutine + 1> Hints = {
    "RELEASE(VAR P: POINTER)",
    "RESET(VAR F: FILE [; SIZE: WORD])",
    "REWRITE(VAR F: FILE [; SIZE: WORD])",
    "GETMEM(VAR P: POINTER; SIZE: WORD)",
    "SWAP(X: WORD): WORD",
    "DELETE(VAR S: STRING; INDEX, COUNT: INTEGER)",
    "ODD(X: LONGINT): BOOLEAN",
    "SIN(X: REAL): REAL",
    "WRITE([VAR F: FILE;] V1, V2, ...)",
    "CHDIR(PATH: STRING)",
    "FILEPOS(VAR F: FILE): LONGINT",
    "LN(X: REAL): REAL",
    "PTR(SEGMENT, OFFSET: WORD): POINTER",
    "SEEKEOF(VAR F: TEXT): BOOLEAN",
    "SQRT(X: REAL): REAL",
    "VAL(S: STRING; VAR V; VAR CODE: INTEGER)",
    "WRITELN([VAR F: TEXT;] V1, V2, ...)",
    "ARCTAN(X: REAL): REAL",
    "COPY(S: STRING; INDEX, COUNT: INTEGER): STRING",
    "EOLN([VAR F: TEXT]): BOOLEAN",
    "FLUSH(VAR F: TEXT)",
    "INSERT(SOURCE: STRING; VAR S: STRING; INDEX: INTEGER)",
    "MEMAVAIL: LONGINT",
    "PARAMSTR(INDEX: WORD): STRING",
    "READLN([VAR F: TEXT;] V1, V2, ...)",
    "ROUND(X: REAL): LONGINT",
    "SEG(X): WORD",
    "SPTR: WORD",
    "STR(X [: WIDTH [: DECIMALS]]; VAR S: STRING)",
    "TRUNCATE(VAR F: FILE)",
    "ADDR(X): POINTER",
    "BLOCKREAD(VAR F: FILE; VAR BUFFER; COUNT: WORD)",
    "CLOSE(VAR F: FILE)",
    "CSEG: WORD",
    "DSEG: WORD",
    "EXIT",
    "FILLCHAR(VAR X; COUNT: WORD; VALUE: BYTE)",
    "FREEMEM(VAR P: POINTER [; SIZE: WORD])",
    "HI(X: INTEGER): BYTE",
    "IORESULT: WORD",
    "MARK(VAR P: POINTER)",
    "MOVE(VAR SOURCE, DESTINATION; COUNT: WORD)",
    "ORD(X): LONGINT",
    "POS(PART, S: STRING): BYTE",
    "RANDOMIZE [(SEED: WORD)]",
    "RENAME(VAR F: FILE; NEWNAME: STRING)",
    "RMDIR(PATH: STRING)",
    "SEEK(VAR F: FILE; N: LONGINT)",
    "SEEKEOLN(VAR F: TEXT): BOOLEAN",
    "SETTEXTBUF(VAR F: TEXT; VAR BUFFER [; SIZE: WORD])",
    "SIZEOF(X): WORD",
    "SQR(X): TYPE_OF_X",
    "SSEG: WORD",
    "SUCC(X): TYPE_OF_X",
    "TRUNC(X: REAL): LONGINT",
    "UPCASE(C: CHAR): CHAR",
    "ABS(X): TYPE_OF_X",
    "APPEND(VAR F: TEXT)",
    "ASSIGN(VAR F: FILE; NAME: STRING)",
    "BLOCKWRITE(VAR F: FILE; VAR BUFFER; COUNT: WORD; VAR DONE: WORD)",
    "CHR(X: BYTE): CHAR",
    "CONCAT(S1, S2, ...: STRING): STRING",
    "COS(X: REAL): REAL",
    "DEC(VAR X [; N: LONGINT])",
    "DISPOSE(VAR P: POINTER)",
    "EOF([VAR F: FILE]): BOOLEAN",
    "ERASE(VAR F: FILE)",
    "EXP(X: REAL): REAL",
    "FILESIZE(VAR F: FILE): LONGINT",
    "FRAC(X: REAL): REAL",
    "GETDIR(DRIVE: BYTE; VAR PATH: STRING)",
    "HALT [(CODE: WORD)]",
    "INC(VAR X [; N: LONGINT])",
    "INT(X: REAL): REAL",
    "LENGTH(S: STRING): INTEGER",
    "LO(X: INTEGER): BYTE",
    "MAXAVAIL: LONGINT",
    "MKDIR(PATH: STRING)",
    "NEW(VAR P: POINTER)",
    "OFS(X): WORD",
    "PARAMCOUNT: WORD",
    "PI: REAL",
    "PRED(X): TYPE_OF_X",
    "RANDOM [(N: WORD)]: WORD; RANDOM: REAL",
    "READ([VAR F: FILE;] V1, V2, ...)",
    "QUERY(REQUEST, SOURCE: STRING; VAR DB: DATABASE)",
    "",
    "COMPLEXITY(N: INTEGER)"};

// Type codes 0-21 to the word naming them; 0 where the code has no type word.
constexpr std::array<int, 22> TypeWords = {67, 68, 63, 63, 64, 65, 66, 64, 69, 0, 28,
                                           70, 35, 33, 37, 91, 0,  0,  0,  0,  7, 8};
} // namespace

std::uint16_t QbPSystem::DefaultWords()
{
    return FillDefaults("SYSTEM", DefaultWordList.data(), WordTotal);
}

void QbPSystem::RegisterNames(QbTable& table, std::uint16_t unit)
{
    struct PredefinedType
    {
        int Word;
        std::uint16_t Size;
        std::uint8_t Code;
    };
    // In this order: the views and the type-code searches walk the predefined range.
    static constexpr PredefinedType types[] = {
        {64, 2, TypeCode::Integer},  {63, 1, TypeCode::Byte},    {69, 8, TypeCode::Real},
        {67, 1, TypeCode::Boolean},  {68, 1, TypeCode::Char},    {70, 4, TypeCode::Pointer},
        {65, 2, TypeCode::Word},     {66, 4, TypeCode::Longint}, {28, 256, TypeCode::String},
        {91, 4, TypeCode::Database}, {32, 460, TypeCode::Text}};
    table.MarkPredefTypesStart();
    for (const PredefinedType& type : types) {
        table.DeclareType(unit, CodeOf(type.Word), type.Size, type.Code);
    }
    table.MarkPredefTypesEnd();
    table.DeclareVar(unit, CodeOf(98), TypeCode::Text);
    table.DeclareVar(unit, CodeOf(99), TypeCode::Text);
    RegisterConsoleRoutines(table, unit);
    RegisterMathRoutines(table, unit);
    RegisterOrdinalRoutines(table, unit);
    RegisterStringRoutines(table, unit);
    RegisterMiscRoutines(table, unit);
    RegisterMemoryRoutines(table, unit);
}

std::uint8_t QbPSystem::ModuleNumber(std::uint8_t& /*counter*/)
{
    return 128;
}

std::uint8_t QbPSystem::WordCategory() const
{
    return WordStyle::Reserved;
}

std::string QbPSystem::TypeName(int typeCode, int vocabulary) const
{
    if (typeCode < 0 || typeCode >= static_cast<int>(TypeWords.size()) ||
        TypeWords[static_cast<std::size_t>(typeCode)] == 0) {
        return "???";
    }
    return WordText(CodeOf(TypeWords[static_cast<std::size_t>(typeCode)]), vocabulary);
}

void QbPSystem::ListWords(std::vector<std::string>& list, int vocabulary) const
{
    // Reserved words and predefined names are coloured apart from the predefined routines.
    for (int index = 1; index <= WordCount(); ++index) {
        const std::string& word = RawWord(vocabulary, index);
        if (index < 100 && !word.empty()) {
            list.push_back(word + ";" + std::to_string(WordStyle::Reserved));
        } else if (index >= FirstRoutine && !word.empty()) {
            list.push_back(word + ";" + std::to_string(WordStyle::SystemRoutine));
        }
    }
}

std::string QbPSystem::WordHint(const std::string& word, int vocabulary) const
{
    // Only the routine words are searched: READ and WRITE also word the properties 87 and 88.
    const std::uint16_t code = FindWord(word, vocabulary, FirstRoutine);
    const int index = code & 0xFF;
    if (code == 0 || index < FirstRoutine || index > WordTotal) {
        return {};
    }
    return Hints[static_cast<std::size_t>(index - FirstRoutine)];
}
