// Opcodes of the machine instructions the Pascal expression and reference readers emit.
#pragma once

// The numbers are the machine's; the mnemonics are those of the machine view. Only the opcodes
// the expression side emits are named here.
namespace PascalOpcode {
constexpr int Line = 3;    // LINE (line + 1, column)
constexpr int Label = 5;   // LABL (label, 0)
constexpr int Jump = 6;    // JUMP (label, mode * 4 + condition)
constexpr int Frame = 7;   // FRAM (procedure, 0)
constexpr int In = 8;      // IN (0, 0)
constexpr int Compare = 9; // CMP (comparison, 0)
constexpr int InSet = 10;  // INSET (low or -1, high or count)
constexpr int Call = 14;   // CALL (procedure, argument count)
constexpr int SysCall = 15;
constexpr int LoadLocal = 18;       // LDLC (offset, type)
constexpr int Load = 20;            // LOAD (0, type)
constexpr int Store = 21;           // STORE (0, type)
constexpr int AddressGlobal = 22;   // LEAG (address, type)
constexpr int AddressLocal = 23;    // LEAL (offset, type)
constexpr int Immediate = 28;       // LDIM (value, type)
constexpr int ConstantData = 29;    // LDIC (data address, type)
constexpr int AddressConstant = 30; // LEAD (data address, type)
constexpr int Indirect = 31;        // INDR (0, type)
constexpr int Add = 32;
constexpr int Subtract = 33;
constexpr int Multiply = 34;
constexpr int Divide = 35;
constexpr int Negate = 36;
constexpr int ShiftLeft = 37;
constexpr int ShiftRight = 38;
constexpr int Modulo = 39;
constexpr int AddSet = 40;
constexpr int SubtractSet = 41;
constexpr int MultiplySet = 42;
constexpr int ConvertType = 43; // TTYP (which operand, type)
constexpr int Not = 44;
constexpr int And = 45;
constexpr int Or = 46;
constexpr int Xor = 47;

// JUMP conditions: jump when the popped value is true, when it is false, always.
constexpr int JumpIfTrue = 1;
constexpr int JumpIfFalse = 2;
constexpr int JumpAlways = 3;

// System calls of the expression operators that the machine performs as run-time routines.
constexpr int ConcatenateRoutine = 189;
constexpr int PowerRoutine = 214;
} // namespace PascalOpcode
