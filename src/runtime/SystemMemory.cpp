// The System unit's memory routines: the heap (NEW, GETMEM, DISPOSE, FREEMEM, MARK, RELEASE),
// addresses (ADDR, SEG, OFS, PTR, SIZEOF), raw copies (FILLCHAR, MOVE) and the segment registers.
#include "runtime/SystemMemory.h"

#include "frontend/ProgramOptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbLexical.h"
#include "runtime/DataAddress.h"
#include "runtime/QbGesdata.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
constexpr std::uint16_t Release = 128;
constexpr std::uint16_t Getmem = 131;
constexpr std::uint16_t Ptr = 140;
constexpr std::uint16_t Memavail = 150;
constexpr std::uint16_t Seg = 154;
constexpr std::uint16_t Sptr = 155;
constexpr std::uint16_t Addr = 158;
constexpr std::uint16_t Cseg = 161;
constexpr std::uint16_t Dseg = 162;
constexpr std::uint16_t Fillchar = 164;
constexpr std::uint16_t Freemem = 165;
constexpr std::uint16_t Mark = 168;
constexpr std::uint16_t Move = 169;
constexpr std::uint16_t Sizeof = 178;
constexpr std::uint16_t Sseg = 180;
constexpr std::uint16_t Dispose = 192;
constexpr std::uint16_t Maxavail = 204;
constexpr std::uint16_t New = 206;
constexpr std::uint16_t Ofs = 207;

// A heap address is a number of the interpreter's own areas; a block is at most a WORD long.
constexpr std::uint32_t MaximalBlock = 65535;

void Declare(QbTable& table, EntryNumber unit, std::uint16_t word, std::uint8_t result,
             std::uint16_t count, const QbTable::RoutineHandler& handler)
{
    const EntryKind kind = result == 0 ? EntryKind::Procedure : EntryKind::Function;
    const EntryNumber entry = table.DeclareRoutine(unit, word, handler, result, kind, count);
    if (entry != 0) {
        table.SetHandler(entry, handler);
    }
}

void PushValue(QbSyntaxe& driver, std::int64_t value, std::uint8_t code)
{
    driver.Data->Acc.SetInteger(static_cast<std::int32_t>(value));
    driver.Data->Push(code);
}

// Reads the calling text with Execute off (SIZEOF's argument is never evaluated).
class ReadOnly
{
  public:
    explicit ReadOnly(QbSyntaxe& reader) : driver(reader), saved(reader.Execute)
    {
        reader.Execute = false;
    }
    ~ReadOnly() { driver.Execute = saved; }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

  private:
    QbSyntaxe& driver;
    bool saved;
};

// "(" pointer variable: its argument; error 45 for a variable of another type.
SignedArgument ReadPointer(QbSyntaxe& driver, const std::string& signature)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments(signature, arguments);
    if (arguments.empty() ||
        driver.Data->Resolve(arguments.front().Type).Code != TypeCode::Pointer) {
        driver.Errors->Raise(ErrorNumber::PointerTypeExpected);
    }
    return arguments.front();
}

// The type a typed pointer points to; 0 for POINTER.
EntryNumber TargetOf(QbSyntaxe& driver, std::uint16_t pointerType)
{
    const EntryNumber entry = driver.Data->Resolve(pointerType).Entry;
    return entry != 0 ? driver.Table->Link1(driver.Table->BaseType(entry)) : 0;
}

// The new block enters the accumulator with one reference; storing it in the variable moves the
// reference there and links the drawing.
void AllocateInto(QbSyntaxe& driver, const SignedArgument& pointer, EntryNumber type,
                  std::uint32_t size)
{
    QbGesdata& data = *driver.Data;
    const std::uint32_t block =
        driver.Heap != nullptr ? driver.Heap->Allocate(type, size, pointer.Value) : 0;
    if (block == DataAddress::Nil) {
        data.Fail(ErrorNumber::HeapAllocationImpossible);
    }
    data.HoldReference(block);
    data.Acc.SetInteger(static_cast<std::int32_t>(block));
    data.SetCurrentAddress(pointer.Value);
    data.StoreValue(pointer.Type);
}

void NewHandler(QbSyntaxe& driver)
{
    const SignedArgument pointer = ReadPointer(driver, "(U)");
    const EntryNumber target = TargetOf(driver, pointer.Type);
    if (target == 0) {
        driver.Errors->Raise(ErrorNumber::PointerTypeExpected);
    }
    if (driver.Execute) {
        driver.LastHeapCall = {true, false, pointer};
        AllocateInto(driver, pointer, target, driver.Table->SizeOf(target));
    }
}

void GetmemHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("(U,w)", arguments);
    if (arguments.size() < 2 ||
        driver.Data->Resolve(arguments.front().Type).Code != TypeCode::Pointer) {
        driver.Errors->Raise(ErrorNumber::PointerTypeExpected);
    }
    if (driver.Execute) {
        if (arguments[1].Value > MaximalBlock) {
            driver.Data->Fail(ErrorNumber::InvalidValue);
        }
        AllocateInto(driver, arguments.front(), 0, arguments[1].Value);
    }
}

// DISPOSE and FREEMEM: the block is freed and the variable set to nil. A block still referenced
// elsewhere is error 220 when invalid pointers are forbidden; otherwise its cell stays drawn
// without storage, so that a later dereference is error 208 and never reads freed memory.
void FreeHandler(QbSyntaxe& driver, bool withSize)
{
    const SignedArgument pointer = ReadPointer(driver, withSize ? "(U" : "(U)");
    if (withSize) {
        std::vector<SignedArgument> size;
        if (driver.Lexer->AcceptSymbol(",")) {
            driver.ParseSignedArguments("w", size);
        }
        driver.Lexer->ExpectSymbol(")");
    }
    if (!driver.Execute) {
        return;
    }
    if (!withSize) {
        driver.LastHeapCall = {true, true, pointer};
    }
    DisposePointed(driver, pointer);
}
} // namespace

void NewPointed(QbSyntaxe& driver, const SignedArgument& pointer)
{
    const EntryNumber target = TargetOf(driver, pointer.Type);
    AllocateInto(driver, pointer, target, driver.Table->SizeOf(target));
}

void DisposePointed(QbSyntaxe& driver, const SignedArgument& pointer)
{
    QbGesdata& data = *driver.Data;
    data.SetCurrentAddress(pointer.Value);
    data.LoadValue(pointer.Type);
    const auto block = static_cast<std::uint32_t>(data.Acc.Integer);
    if (block != DataAddress::Nil) {
        const bool forbid = driver.OptionB(OptionB::ForbidInvalidPointers);
        const int left =
            driver.Heap != nullptr ? driver.Heap->Dispose(block, pointer.Value, forbid) : -1;
        if (left < 0) {
            data.Fail(ErrorNumber::PointerOutsideHeap);
        }
        if (left > 0 && forbid) {
            data.Fail(ErrorNumber::HeapDataDisposedButReferenced);
        }
    }
    // The reference was dropped with the block: nil is written without counting.
    std::uint8_t* bytes = data.BytesOrFail(pointer.Value, 4);
    DataAddress::Write(bytes, DataAddress::Nil);
    data.SetCurrentAddress(pointer.Value);
    data.MarkAssigned();
}

namespace {
void MarkHandler(QbSyntaxe& driver)
{
    const SignedArgument pointer = ReadPointer(driver, "(U)");
    if (driver.Execute) {
        const std::uint16_t generation = driver.Heap != nullptr ? driver.Heap->Mark() : 0;
        driver.Data->Acc.SetInteger(generation);
        driver.Data->SetCurrentAddress(pointer.Value);
        driver.Data->StoreValue(pointer.Type);
    }
}

void ReleaseHandler(QbSyntaxe& driver)
{
    const SignedArgument pointer = ReadPointer(driver, "(U)");
    if (!driver.Execute) {
        return;
    }
    driver.Data->SetCurrentAddress(pointer.Value);
    driver.Data->LoadValue(pointer.Type);
    const auto generation = static_cast<std::uint32_t>(driver.Data->Acc.Integer);
    if (generation < 1 || generation > 65535) {
        driver.Data->Fail(ErrorNumber::WrongValuePointer);
    }
    if (driver.Heap != nullptr) {
        driver.Heap->Release(static_cast<std::uint16_t>(generation));
    }
}

// ADDR, SEG and OFS: a variable's address, whole or in halves.
void AddressHandler(QbSyntaxe& driver, std::uint16_t word)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("(U)", arguments);
    if (!driver.Execute || arguments.empty()) {
        return;
    }
    const std::uint32_t address = arguments.front().Value;
    if (word == Addr) {
        PushValue(driver, address, TypeCode::Pointer);
    } else {
        PushValue(driver, word == Seg ? address >> 16 : address & 0xFFFF, TypeCode::Word);
    }
}

// PTR: a number made of two words. It names a byte of the interpreter's areas or nothing; every
// access through it is checked like any other pointer.
void PtrHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("(w,w)", arguments);
    if (driver.Execute && arguments.size() == 2) {
        PushValue(driver, ((arguments[0].Value & 0xFFFF) << 16) | (arguments[1].Value & 0xFFFF),
                  TypeCode::Pointer);
    }
}

// SIZEOF: a type name, or a variable read without evaluating it.
void SizeofHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    std::uint32_t size = 0;
    EntryNumber type = 0;
    const std::string name = lexer.TokenText();
    if (!name.empty() && lexer.IsIdentifierStart(name[0]) &&
        driver.Table->Lookup(name, EntryKind::Type, type, driver.CurrentRoutine)) {
        lexer.NextToken();
        size = driver.Table->SizeOf(type);
    } else {
        ReadOnly readOnly(driver);
        std::vector<SignedArgument> arguments;
        driver.ParseSignedArguments("U", arguments);
        size = arguments.empty() ? 0 : driver.Data->Resolve(arguments.front().Type).Size;
    }
    lexer.ExpectSymbol(")");
    if (driver.Execute) {
        PushValue(driver, size, TypeCode::Word);
    }
}

// The bytes of a variable argument, as many as its type holds and its area has.
std::size_t Room(QbSyntaxe& driver, const SignedArgument& variable)
{
    std::size_t room = driver.Data->Resolve(variable.Type).Size;
    while (room > 0 && driver.Data->Bytes(variable.Value, room) == nullptr) {
        room = room > 64 ? room / 2 : room - 1;
    }
    return room;
}

// FILLCHAR: count bytes of the variable set to a value; never beyond the variable's storage.
void FillcharHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("(U,w,", arguments);
    const TypePair value = driver.ParseExpression();
    const QbGesdata::TypeInfo info = driver.Data->Resolve(value.Type);
    if (info.Code != TypeCode::Char && info.Code != TypeCode::Boolean &&
        (info.Code < TypeCode::Byte || info.Code > TypeCode::Longint)) {
        driver.Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
    }
    driver.Lexer->ExpectSymbol(")");
    if (!driver.Execute || arguments.size() < 2) {
        return;
    }
    QbGesdata& data = *driver.Data;
    data.PopType();
    const auto fill = static_cast<std::uint8_t>(data.Acc.Integer & 0xFF);
    const std::size_t count = std::min<std::size_t>(arguments[1].Value, Room(driver, arguments[0]));
    if (count > 0) {
        std::memset(data.BytesOrFail(arguments[0].Value, count), fill, count);
    }
    data.SetCurrentAddress(arguments[0].Value);
    data.MarkAssigned();
}

// MOVE: count bytes from one variable to another, cut to the smaller of the two.
void MoveHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("(U,U,w)", arguments);
    if (!driver.Execute || arguments.size() < 3) {
        return;
    }
    QbGesdata& data = *driver.Data;
    const std::size_t count = std::min<std::size_t>(
        {arguments[2].Value, Room(driver, arguments[0]), Room(driver, arguments[1])});
    if (count > 0) {
        const std::uint8_t* from = data.BytesOrFail(arguments[0].Value, count);
        std::memmove(data.BytesOrFail(arguments[1].Value, count), from, count);
    }
    data.SetCurrentAddress(arguments[1].Value);
    data.MarkAssigned();
}

void AvailableHandler(QbSyntaxe& driver)
{
    if (driver.Execute) {
        const std::size_t free = driver.Heap != nullptr ? driver.Heap->Available() : 0;
        PushValue(driver, std::min<std::size_t>(free, 0x7FFFFFFF), TypeCode::Longint);
    }
}

// CSEG, DSEG, SSEG and SPTR: refused by option A 8; the segments are 0, SPTR the stack pointer.
void SegmentHandler(QbSyntaxe& driver, std::uint16_t word)
{
    if (driver.OptionA(OptionA::ForbidSegments)) {
        driver.Errors->Raise(ErrorNumber::SegmentsNotAllowed);
    }
    if (driver.Execute) {
        PushValue(driver, word == Sptr ? driver.Data->StackPointer() : 0, TypeCode::Word);
    }
}

HeapShape ShapeOf(QbSyntaxe& driver, std::uint16_t type)
{
    HeapShape shape;
    if (driver.Table == nullptr) {
        return shape;
    }
    const QbTable& table = *driver.Table;
    const EntryNumber base = table.BaseType(type);
    if (!table.IsEntry(base) || table.Code(base) != TypeCode::Record) {
        return shape;
    }
    EntryNumber field = table.Link2(base);
    for (int steps = 0; steps <= QbTable::MaxEntries && table.IsEntry(field);
         ++steps, field = table.Link2(field)) {
        if (table.Code(table.BaseType(table.Link1(field))) == TypeCode::Pointer) {
            shape.PointerOffsets.push_back(table.Value(field));
            shape.PointerNames.push_back(table.GetName(field));
        }
    }
    return shape;
}
} // namespace

HeapHooks MakeHeapHooks(QbSyntaxe& driver)
{
    HeapHooks hooks;
    hooks.ShapeOf = [&driver](std::uint16_t type) { return ShapeOf(driver, type); };
    hooks.NameOf = [&driver](std::uint32_t address) {
        return driver.Data != nullptr ? driver.Data->NameOfAddress(address) : std::string();
    };
    return hooks;
}

void RegisterMemoryRoutines(QbTable& table, EntryNumber unit)
{
    using Handler = QbTable::RoutineHandler;
    const auto plain = [](void (*handler)(QbSyntaxe&)) -> Handler {
        return [handler](QbSyntaxe& driver, EntryNumber) { handler(driver); };
    };
    Declare(table, unit, New, 0, 1, plain(NewHandler));
    Declare(table, unit, Getmem, 0, 2, plain(GetmemHandler));
    Declare(table, unit, Dispose, 0, 1,
            [](QbSyntaxe& driver, EntryNumber) { FreeHandler(driver, false); });
    Declare(table, unit, Freemem, 0, 2 * 256 + 1,
            [](QbSyntaxe& driver, EntryNumber) { FreeHandler(driver, true); });
    Declare(table, unit, Mark, 0, 1, plain(MarkHandler));
    Declare(table, unit, Release, 0, 1, plain(ReleaseHandler));
    for (const std::uint16_t word : {Addr, Seg, Ofs}) {
        Declare(table, unit, word, word == Addr ? TypeCode::Pointer : TypeCode::Word, 1,
                [word](QbSyntaxe& driver, EntryNumber) { AddressHandler(driver, word); });
    }
    Declare(table, unit, Ptr, TypeCode::Pointer, 2, plain(PtrHandler));
    Declare(table, unit, Sizeof, TypeCode::Word, 1, plain(SizeofHandler));
    Declare(table, unit, Fillchar, 0, 3, plain(FillcharHandler));
    Declare(table, unit, Move, 0, 3, plain(MoveHandler));
    Declare(table, unit, Memavail, TypeCode::Longint, 0, plain(AvailableHandler));
    Declare(table, unit, Maxavail, TypeCode::Longint, 0, plain(AvailableHandler));
    for (const std::uint16_t word : {Cseg, Dseg, Sseg, Sptr}) {
        Declare(table, unit, word, TypeCode::Word, 0,
                [word](QbSyntaxe& driver, EntryNumber) { SegmentHandler(driver, word); });
    }
}
