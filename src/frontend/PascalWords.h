// Word codes of the Pascal vocabulary: the parsers test words only by these numbers.
#pragma once

#include <cstdint>

// A teacher may re-word every one of these; the parsers compare tokens with the current wording
// of a code (QbLexical::IsWord), never with a spelling. Where the language has the same spelling
// in two places (DO, OF, END, ELSE, CONST), each place has its own code so that it can be
// re-worded on its own. Add codes here; never renumber or rename one.
namespace PascalWord {
constexpr std::uint16_t Program = 1;
constexpr std::uint16_t Uses = 2;
constexpr std::uint16_t Const = 3;
constexpr std::uint16_t Label = 4;
constexpr std::uint16_t Type = 5;
constexpr std::uint16_t Var = 6;
constexpr std::uint16_t Procedure = 7;
constexpr std::uint16_t Function = 8;
constexpr std::uint16_t Begin = 9;
constexpr std::uint16_t Case = 10;
constexpr std::uint16_t CaseOf = 11;
constexpr std::uint16_t CaseElse = 12;
constexpr std::uint16_t CaseEnd = 13;
constexpr std::uint16_t If = 14;
constexpr std::uint16_t Then = 15;
constexpr std::uint16_t Else = 16;
constexpr std::uint16_t While = 17;
constexpr std::uint16_t WhileDo = 18;
constexpr std::uint16_t With = 19;
constexpr std::uint16_t WithDo = 20;
constexpr std::uint16_t Repeat = 21;
constexpr std::uint16_t Until = 22;
constexpr std::uint16_t For = 23;
constexpr std::uint16_t To = 24;
constexpr std::uint16_t Downto = 25;
constexpr std::uint16_t ForDo = 26;
constexpr std::uint16_t End = 27;
constexpr std::uint16_t String = 28;
constexpr std::uint16_t Packed = 29;
constexpr std::uint16_t File = 30;
constexpr std::uint16_t FileOf = 31;
constexpr std::uint16_t Text = 32;
constexpr std::uint16_t Set = 33;
constexpr std::uint16_t SetOf = 34;
constexpr std::uint16_t Array = 35;
constexpr std::uint16_t ArrayOf = 36;
constexpr std::uint16_t Record = 37;
constexpr std::uint16_t RecordCase = 38;
constexpr std::uint16_t RecordCaseOf = 39;
constexpr std::uint16_t RecordEnd = 40;
constexpr std::uint16_t RecordEndAlternative = 41;
constexpr std::uint16_t ValueMode = 42;
constexpr std::uint16_t VarParameter = 43;
constexpr std::uint16_t Forward = 44;
constexpr std::uint16_t External = 45;
constexpr std::uint16_t Inline = 46;
constexpr std::uint16_t Bar = 47;
constexpr std::uint16_t Goto = 48;
constexpr std::uint16_t AddressOf = 49;
constexpr std::uint16_t Not = 50;
constexpr std::uint16_t In = 51;
constexpr std::uint16_t Absolute = 52;
constexpr std::uint16_t Nil = 53;
constexpr std::uint16_t True = 54;
constexpr std::uint16_t False = 55;
constexpr std::uint16_t Div = 56;
constexpr std::uint16_t Mod = 57;
constexpr std::uint16_t And = 58;
constexpr std::uint16_t Shl = 59;
constexpr std::uint16_t Shr = 60;
constexpr std::uint16_t Or = 61;
constexpr std::uint16_t Xor = 62;
constexpr std::uint16_t Byte = 63;
constexpr std::uint16_t Integer = 64;
constexpr std::uint16_t Word = 65;
constexpr std::uint16_t Longint = 66;
constexpr std::uint16_t Boolean = 67;
constexpr std::uint16_t Char = 68;
constexpr std::uint16_t Real = 69;
constexpr std::uint16_t Pointer = 70;
constexpr std::uint16_t Result = 71;
constexpr std::uint16_t Unit = 72;
constexpr std::uint16_t Interface = 73;
constexpr std::uint16_t Implementation = 74;
constexpr std::uint16_t AndThen = 75;
constexpr std::uint16_t OrElse = 76;
constexpr std::uint16_t Class = 77;
constexpr std::uint16_t ConstParameter = 89;
constexpr std::uint16_t OutParameter = 90;
constexpr std::uint16_t Assign = 93;    // the assignment symbol of a statement
constexpr std::uint16_t ForAssign = 94; // the assignment symbol of a FOR control
constexpr std::uint16_t Closing1 = 95;
constexpr std::uint16_t Closing2 = 96;
constexpr std::uint16_t Models = 97;

// Predefined routines keep their word code as their routine number.
constexpr std::uint16_t Write = 136;
constexpr std::uint16_t Writeln = 144;
constexpr std::uint16_t Readln = 152;
constexpr std::uint16_t Read = 212;
} // namespace PascalWord
