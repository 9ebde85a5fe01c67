// The interpreter's data manager: global area, frames, descriptors, evaluation stack, accumulator.
#pragma once

#include "diagnostics/ErrorNumber.h"
#include "runtime/DataAddress.h"
#include "runtime/DirectPlace.h"
#include "symbols/QbTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QbSyntaxe;
class QbTable;
class HeapAccess;
class DataViewHost;

// The operators of Operate, numbered as the expression parser numbers them.
enum class Operator : std::uint8_t
{
    Multiply = 0,
    Divide = 1,
    Div = 2,
    Mod = 3,
    And = 4,
    Shl = 5,
    Shr = 6,
    Plus = 7,
    Minus = 8,
    Or = 9,
    Xor = 10,
    In = 11,
    LessEqual = 12,
    NotEqual = 13,
    Equal = 14,
    Less = 15,
    GreaterEqual = 16,
    Greater = 17,
    Power = 18
};

// How a value of a type code is held in the accumulator and on the evaluation stack.
enum class Representation : std::uint8_t
{
    Integer,   // booleans, enumerations, integer codes, procedural values
    Character, // CHAR: integer slot and a one-character string
    Real,
    String,
    Set,
    Pointer,
    Structure, // arrays, records and the other user structures: an owned copy
    None       // files, DATABASE, classes: cannot be evaluated
};

// A Pascal short string as it lies in memory: a length byte and up to 255 characters.
using ShortString = std::array<std::uint8_t, 256>;
// A set of 0..255: bit n of byte n / 8 is element n.
using SetBits = std::array<std::uint8_t, 32>;

// The value being moved between memory, the evaluation stack and the operators. Every slot keeps
// its last value; Pop and the setters keep the integer, real and string slots in step for
// integer-like values, so that an operand can be read as a character, a string or a real.
struct Accumulator
{
    std::int32_t Integer = 0;
    double Real = 0.0;
    ShortString String{};
    SetBits Set{};
    std::uint16_t StructureType = 0;
    std::uint16_t StructureSize = 0;
    std::vector<std::uint8_t> Structure; // owned copy of an array or record value

    void SetInteger(std::int32_t value)
    {
        Integer = value;
        Real = value;
        String[0] = 1;
        String[1] = static_cast<std::uint8_t>(value);
    }
    void SetReal(double value) { Real = value; }
    void SetText(std::string_view text); // cut to 255 characters
    std::string Text() const;
    // 0, 0.0, "", [] (the structure slot is left alone)
    void ClearValues()
    {
        Integer = 0;
        Real = 0.0;
        String[0] = 0;
        Set.fill(0);
    }
};

// One data manager belongs to each interpreter driver, which creates it with itself and opens it
// before every interpreted run; the areas live until the next Open, Close or destruction. It
// reads the driver's symbol table, options and error manager at every use, since the driver
// rebuilds the table for each run. The heap and the views are borrowed and may be absent.
//
// Memory is three byte areas owned here (global area, data stack, evaluation-stack data) plus
// the heap's blocks and the typed constants' storage; every read or write goes through Locate,
// which checks the whole range against its area, so a bad pupil pointer is a numbered error.
class QbGesdata
{
  public:
    static constexpr std::uint16_t DescriptorCount = 400; // indices 1..399; 400 is "no frame"
    static constexpr std::uint16_t NoFrame = 400;
    static constexpr std::uint16_t StackSize = 32000;
    static constexpr int EvaluationEntries = 32;
    static constexpr int EvaluationDataSize = 1502;
    static constexpr int EvaluationDataLimit = 1243; // no entry may end beyond this offset
    static constexpr int InitialMaximumDepth = 40;

    explicit QbGesdata(QbSyntaxe& driver);
    ~QbGesdata();
    QbGesdata(const QbGesdata&) = delete;
    QbGesdata& operator=(const QbGesdata&) = delete;

    // Areas.
    // Allocates the areas for a run (no global area when `globalsSize` is 0), then Reset; false
    // when memory cannot be had.
    bool Open(std::uint16_t globalsSize);
    void Reset();
    void Close();
    bool IsOpen() const { return !stack.empty(); }
    void SetHeap(HeapAccess* newHeap) { heap = newHeap; }       // may be null
    void SetViews(DataViewHost* newViews) { views = newViews; } // may be null

    // Empties the evaluation stack, then raises `number` (with `name` as the detail).
    [[noreturn]] void Fail(ErrorNumber number);
    [[noreturn]] void FailWithName(ErrorNumber number, const std::string& name);

    // Registers.
    std::uint16_t StackPointer() const { return stackPointer; }
    void MarkStackPointer() { mark = stackPointer; }
    std::uint16_t DescriptorTop() const { return descriptorTop; }
    std::uint16_t CurrentFrame() const { return currentFrame; }
    std::uint16_t FrameBase() const { return frameBase; }
    int Depth() const { return depth; }
    int MaximumDepth() const { return maximumDepth; }
    std::uint32_t CurrentAddress() const { return currentAddress; }
    void SetCurrentAddress(std::uint32_t address) { currentAddress = address; }

    // Descriptors (index 1..399).
    std::uint16_t DescriptorSymbol(std::uint16_t index) const;
    std::uint16_t DescriptorLink(std::uint16_t index) const;
    bool IsFrameHeader(std::uint16_t index) const;
    bool IsAssigned(std::uint16_t index) const;
    void SetAssigned(std::uint16_t index, bool assigned = true)
    {
        if (index == 0 || index >= DescriptorCount) {
            return;
        }
        const std::uint32_t before = descriptors[index];
        const std::uint32_t after = assigned ? before | AssignedBit : before & ~AssignedBit;
        descriptors[index] = after;
        if (after != before && views != nullptr) {
            NoteAssignedChanged(index);
        }
    }
    bool IsDescriptorMarked(std::uint16_t index) const;
    void ClearDescriptorMark(std::uint16_t index);
    // Clears the marks of the descriptors pushed since DescriptorTop() was `savedTop`.
    void ClearMarksSince(std::uint16_t savedTop);
    void PushDescriptor(std::uint16_t symbol, std::uint16_t link);

    // Frames, in the calling order: MarkStackPointer, CreateVariable per actual parameter,
    // ClearMarksSince, AllocateFrame, CreateLocals, EnterRoutine, body, LoadFunctionResult,
    // LeaveRoutine, ReleaseFrame.
    std::uint16_t EnterRoutine(std::uint16_t routine);
    void AllocateFrame(int headerSize);
    // ClearMarksSince, AllocateFrame, CreateLocals and EnterRoutine at once, for a frame whose
    // locals need no bytes set and which fits: false, nothing done, when they must be made one
    // by one (an error to raise, an option or a view to serve).
    bool EnterPlainFrame(std::uint16_t routine, std::uint16_t savedTop);
    // The size of `routine`'s frame header: 6 for a routine declared with far frames (its
    // header keeps a segment too), else 4.
    std::uint8_t FrameHeaderSize(std::uint16_t routine) const;
    // A value parameter takes the value on top of the evaluation stack, or (`fromStack` false)
    // the integer already in the accumulator, which was never pushed.
    void CreateVariable(std::uint16_t variable, int tag, bool fromStack = true);
    // CreateVariable(variable, tag, fromStack) for a value or CONST parameter of a scalar type
    // whose code and size (no smaller than the code's width) are known.
    void BindScalar(std::uint16_t variable, std::uint8_t code, std::uint32_t size,
                    bool fromStack = false);
    void CreateLocals(std::uint16_t routine);
    void MarkLocalAssigned(std::uint16_t variable);
    void LoadFunctionResult(std::uint16_t function);
    // LoadFunctionResult when the result was assigned; false, nothing done, when it was not.
    // Given `held`, an integer result read straight is left in the accumulator instead of
    // pushed, and `held` takes its type (left empty when the result was pushed). Inline
    // (runtime/DataInline.h): every return of a function reads its result through it.
    inline bool LoadAssignedResult(std::uint16_t function,
                                   std::optional<std::uint16_t>* held = nullptr);
    std::uint16_t LeaveRoutine();
    // LeaveRoutine of a frame made by a call whose parameters started at descriptor `frameTop`
    // (OpenFrame's DescriptorTop): its own variables are those from its header up to there.
    // `quiet`: the caller knows the routine leaves quietly (LeavesQuietly), as its body plan
    // does.
    std::uint16_t LeaveRoutine(std::uint16_t frameTop, bool quiet = false);
    // LeaveRoutine raises nothing for any frame of `routine` while the table stays as it is:
    // none of its variables is an OUT parameter or a pointer letting go of a heap cell.
    bool LeavesQuietly(std::uint16_t routine) const;
    void ReleaseFrame();
    void UnwindAll();

    // Addresses and values in memory.
    std::uint32_t AddressOf(std::uint16_t variable);
    // The address of a typed constant's storage.
    static std::uint32_t TypedConstantAddress(std::uint16_t constant)
    {
        return DataAddress::Constant(constant, 0);
    }
    void LoadValue(std::uint16_t type);
    // The global variable whose first byte is `address`, and its size; false when the address
    // is not the start of one.
    bool WholeGlobal(std::uint32_t address, std::uint16_t& variable, std::uint32_t& size) const;
    // WholeGlobal for a variable no other one shares bytes with: every address inside it is
    // then its own. LoadInGlobal and StoreInGlobal are LoadValue and StoreValue at a current
    // address inside the global variable `variable` of `size` bytes from `start`, as WholeGlobal
    // or SoleGlobal gave it (inline, runtime/DataInline.h: a scalar goes straight between the
    // accumulator and the global area, and a pointer is stored there with the heap's counts).
    bool SoleGlobal(std::uint32_t address, std::uint16_t& variable, std::uint32_t& size) const;
    inline void LoadInGlobal(std::uint16_t variable, std::uint32_t start, std::uint32_t size,
                             std::uint16_t type);
    inline int StoreInGlobal(std::uint16_t variable, std::uint32_t start, std::uint32_t size,
                             std::uint16_t type);
    // The place of the whole global `variable` (of `size` bytes from `start`, as WholeGlobal or
    // SoleGlobal gave it) holding a value of `type`, moved straight as LoadInGlobal and
    // StoreInGlobal move it; Width 0 when they would not.
    DirectPlace DirectPlaceOf(std::uint16_t variable, std::uint32_t start, std::uint32_t size,
                              std::uint16_t type) const;
    // LoadInGlobal and StoreInGlobal at the place's first byte (the current address is the
    // caller's): false, with nothing done, when the variable holds no value yet or the place is
    // not moved straight, and the caller then takes their way.
    inline bool LoadDirect(const DirectPlace& place);
    inline bool StoreDirect(const DirectPlace& place);
    // The integer LoadDirect would load, the accumulator left as it is; false when LoadDirect
    // would return false.
    inline bool PeekDirect(const DirectPlace& place, std::int32_t& value);
    inline bool PeekDirect(const DirectPlace& place, double& value);
    // The bytes a scalar of `code` takes when it is read and stored straight; 0 for the others.
    static inline std::uint32_t DirectWidth(std::uint8_t code);
    // The value of a scalar of `code` (one DirectWidth takes, or a pointer) in memory.
    static inline std::int32_t ScalarValue(std::uint8_t code, const std::uint8_t* from);
    // The live bytes of a heap cell from `address`; null when there are not `size` of them.
    inline std::uint8_t* HeapBytes(std::uint32_t address, std::size_t size);
    // A scalar variable of the current frame (no VAR or OUT parameter), `code` its type's code,
    // read or stored straight: `distance` is where its descriptor lies above the frame's header
    // (found again and kept when it lies elsewhere), `address` becomes its place. False, nothing
    // changed, when the general path must take it: no such variable in the frame, or none of
    // the value to read.
    inline bool PeekLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                          std::uint32_t& address, std::int32_t& value);
    inline bool PeekLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                          std::uint32_t& address, double& value);
    // LoadValue of such a variable: the accumulator and the current address as it leaves them.
    inline bool LoadLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance);
    // Only its place (and its descriptor in `descriptor`, when given).
    inline bool LocalPlace(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                           std::uint32_t& address, std::uint16_t* descriptor = nullptr);
    // The accumulator's value stored there, the variable noted assigned.
    inline bool StoreLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                           std::uint32_t& address);
    // The same into the variable of `descriptor`, as LocalPlace has just found it (nothing has
    // run since): false, nothing stored, when its bytes do not lie in the stack.
    inline bool StoreLocalAt(std::uint16_t descriptor, std::uint8_t code);
    // The accumulator's scalar encoded at `to`, the bytes of descriptor `index`, noted assigned.
    inline void StoreScalar(std::uint16_t index, std::uint8_t* to, std::uint8_t code);
    // Returns 0 (global area), 1 (data stack), 2 (heap) or -1 (elsewhere).
    int StoreValue(std::uint16_t type);
    void MarkAssigned();
    // The bytes [address, address + size), or null when they are not inside one area.
    std::uint8_t* Bytes(std::uint32_t address, std::size_t size);
    // Bytes, raising 207 for nil and 208 for any other address outside the areas.
    std::uint8_t* BytesOrFail(std::uint32_t address, std::size_t size);

    // Evaluation stack.
    void Push(std::uint16_t type);
    void Pop();
    // The same, inline (runtime/DataInline.h): an integer, character or real value without the
    // evaluation view goes straight between the accumulator and the stack's bytes.
    inline void PushKept(std::uint16_t type);
    inline void PopKept();
    std::uint16_t PopType();
    void ClearEvaluationStack();
    // Drops the entries above the first `count`, letting go of the heap references they hold.
    void DropEntriesAbove(int count);
    int EvaluationCount() const { return evaluationCount - 1; } // values stacked
    // Pushes and pops since the data manager was made (they wrap round): what a reading did to
    // the evaluation stack, for a parser that checks it repeats the same work.
    std::uint32_t PushCount() const { return pushCount; }
    std::uint32_t PopCount() const { return popCount; }
    std::uint16_t EvaluationType(int entry) const; // 1..EvaluationCount()
    // The code of a type, as the stack keeps it (inline, runtime/DataInline.h).
    inline std::uint8_t KeptCode(std::uint16_t type) const;
    // Values a caller holds for a while instead of pushing them (a plan's integers): `held`
    // more 4-byte entries would fit on the stack, and no view follows its entries.
    bool RoomFor(int held) const
    {
        // 1 <= held <= EvaluationEntries - evaluationCount in one comparison (a push never
        // takes the count past EvaluationEntries).
        return !evaluationViewOpen &&
               static_cast<unsigned>(held) - 1u <
                   static_cast<unsigned>(EvaluationEntries - evaluationCount) &&
               entryOffsets[evaluationCount] + 4 * held <= EvaluationDataLimit;
    }
    // The top entry, one of Integer representation, as a held value would be: false for any
    // other entry, or while a view follows the entries.
    bool PeekKeptInteger(std::int32_t& value) const
    {
        const int entry = evaluationCount - 1;
        if (entry < 1 || evaluationViewOpen ||
            RepresentationOf(entryCodes[entry]) != Representation::Integer) {
            return false;
        }
        value = static_cast<std::int32_t>(
            DataAddress::Read(evaluationData.data() + entryOffsets[entry]));
        return true;
    }
    // The integer operator on two held values of Integer representation, as Operate would do
    // it on them stacked, the accumulator left as it leaves it; false when Operate must take
    // it (an error to raise included).
    inline bool OperateHeld(Operator op, std::int64_t a, std::int64_t b, std::uint16_t resultType,
                            std::int32_t& value);
    // The same when the code of the result's type is known (a plan's).
    inline bool OperateHeldAs(Operator op, std::int64_t a, std::int64_t b, std::uint8_t resultCode,
                              std::int32_t& value);
    // The value OperateHeld gives, the accumulator left as it is and the code of the result's
    // type given (it matters to +, - and *): false when OperateHeld would return false.
    static inline bool IntegerResultOf(Operator op, std::int64_t a, std::int64_t b,
                                       std::uint8_t resultCode, std::int64_t& value);
    // The accumulator holds a reference to a heap cell (an operator lets go of it).
    bool HoldsReference() const { return accumulatorReference != DataAddress::Nil; }

    // Operators and values.
    void Operate(Operator op, std::uint16_t resultType);
    // The parsers' operator numbers; a number outside 0..18 stops the run with 251.
    void Operate(int op, std::uint16_t resultType);
    bool RealsEqual(double a, double b) const;
    void Reinterpret(std::uint16_t targetType, std::uint16_t sourceType);
    void UndoStore(int tag, std::uint32_t address, const std::vector<std::uint8_t>& oldValue);
    void ClearAccumulator()
    {
        Acc.ClearValues();
        Acc.Structure.clear();
        Acc.StructureType = 0;
        Acc.StructureSize = 0;
    }
    // A new heap block's address enters the accumulator holding one reference (NEW, GETMEM);
    // storing or pushing it moves that reference to its holder.
    void HoldReference(std::uint32_t block);

    // Texts for the views.
    std::string FormatValue(std::uint32_t address, std::uint16_t type);
    std::string RoutineCaption(std::uint16_t routine, std::uint16_t frame);
    std::string NameOfAddress(std::uint32_t address);
    // What a pointer or VAR parameter holding `target` shows in a descriptor row: "Ref. to "
    // and the variable (or the heap's chain of cells) it reaches; the NIL word for nil.
    std::string ReferenceText(std::uint32_t target);
    // The evaluation-stack view's rows ("INTEGER:  3"), kept only while the view is open.
    void SetEvaluationViewOpen(bool open);
    const std::vector<std::string>& EvaluationRows() const { return evaluationRows; }

    Accumulator Acc;

    // A type resolved to what memory and the stack need: the code that decides the
    // representation (a subrange is its host, a named copy the type it names), the type entry
    // when there is one (0 for a bare code) and the size in memory.
    struct TypeInfo
    {
        std::uint8_t Code = 0;
        std::uint16_t Entry = 0;
        std::uint16_t Size = 0;
    };
    // Kept per type value while the table stays as it was (every value pushed, loaded or stored
    // asks it).
    TypeInfo Resolve(std::uint16_t type) const { return ResolveKept(type).Info; }
    // The same, inline (runtime/DataInline.h).
    inline TypeInfo KeptInfo(std::uint16_t type) const;
    // The type value that names a declared type entry: the entry itself when Resolve reads it as
    // one (so that subranges keep their host and enumerations their names), else its key.
    std::uint16_t TypeArgument(std::uint16_t typeEntry) const;
    std::uint16_t TypeOfVariable(std::uint16_t variable) const;
    static Representation RepresentationOf(std::uint8_t code)
    {
        switch (code) {
        case TypeCode::Boolean:
        case TypeCode::Enumerated:
        case TypeCode::Byte:
        case TypeCode::Integer:
        case TypeCode::Word:
        case TypeCode::Longint:
        case TypeCode::Subrange:
        case TypeCode::ProcedureType:
        case TypeCode::FunctionType:
            return Representation::Integer;
        case TypeCode::Char:
            return Representation::Character;
        case TypeCode::Real:
            return Representation::Real;
        case TypeCode::String:
            return Representation::String;
        case TypeCode::Set:
            return Representation::Set;
        case TypeCode::Pointer:
            return Representation::Pointer;
        case TypeCode::Array:
        case TypeCode::Record:
        case TypeCode::Class:
        case TypeCode::AbstractClass:
            return Representation::Structure;
        default:
            return Representation::None;
        }
    }

  private:
    void NoteAssignedChanged(std::uint16_t index);
    bool LoadResultAt(std::uint16_t function, std::uint16_t index);
    std::uint16_t LeaveCheckedRoutine(std::uint16_t header, std::uint16_t routine,
                                      std::uint16_t previous);
    // Where a variable lives: the owner of an address of the global area or the data stack.
    struct VariablePlace
    {
        std::uint16_t Entry = 0;      // the variable's symbol entry; 0 when none
        std::uint16_t Descriptor = 0; // its descriptor (data stack), 0 for a global
        std::uint32_t Start = 0;      // address of its first byte
        std::uint32_t Size = 0;
    };

    struct ResolvedType
    {
        std::uint32_t Generation = 0; // the table's generation it was resolved under
        std::uint16_t Type = 0;
        std::uint16_t Stacked = 0; // the type an evaluation-stack entry of it records
        TypeInfo Info;
    };
    const ResolvedType& ResolveKept(std::uint16_t type) const;
    // ResolveKept's answer when it is kept, inline (runtime/DataInline.h).
    inline const ResolvedType& KeptType(std::uint16_t type) const;
    // The bytes of a DirectPlace holding a value; null when it holds none or is not moved
    // straight.
    inline std::uint8_t* DirectBytes(const DirectPlace& place);
    // The `bytes` bytes at the current address, inside the global variable of `size` bytes from
    // `start`; null when they are not all there.
    inline std::uint8_t* InGlobalSpan(std::uint32_t start, std::uint32_t size, std::uint32_t bytes);
    // The bytes of a value of `info` at the current address, inside the global variable of
    // `size` bytes from `start`, or null when the general path must take it.
    inline std::uint8_t* InGlobalBytes(const TypeInfo& info, std::uint32_t start,
                                       std::uint32_t size);
    static inline bool ScalarCode(std::uint8_t code);
    inline void DecodeScalar(std::uint8_t code, const std::uint8_t* from);
    inline void EncodeScalar(std::uint8_t code, std::uint8_t* to) const;
    TypeInfo ResolveAnew(std::uint16_t type) const;
    static constexpr std::size_t ResolvedSlots = 256;
    mutable std::array<ResolvedType, ResolvedSlots> resolvedTypes{};
    // TypeOfVariable's answers by variable entry, each under the table's generation it was
    // found in (every frame made or left asks it for each of its variables).
    struct KeptVariableType
    {
        std::uint32_t Generation = 0;
        std::uint16_t Type = 0;
    };
    mutable std::array<KeptVariableType, QbTable::MaxEntries + 1> variableTypes{};

    QbTable& Table() const;
    bool IsTypeEntry(std::uint16_t type) const;
    std::uint32_t VariableSize(std::uint16_t variable) const;
    std::uint16_t FindInFrame(std::uint16_t frame, std::uint16_t variable) const;
    std::uint16_t FindByNameInFrame(std::uint16_t frame, const std::string& name) const;
    std::uint16_t FrameOfDescriptor(std::uint16_t index) const;
    std::uint16_t PreviousHeader(std::uint16_t frame) const;
    // The bytes of PeekLocal's variable, `width` of them, and its descriptor; null when the
    // current frame has no such variable.
    inline std::uint8_t* LocalBytes(std::uint16_t variable, std::uint32_t width,
                                    std::int32_t& distance, std::uint16_t& index);
    VariablePlace PlaceOf(std::uint32_t address) const;
    // LoadValue once the place of the current address is known (none outside the variables).
    void LoadFrom(const VariablePlace& place, std::uint16_t type);
    int StoreTo(const VariablePlace& place, std::uint16_t type);
    // The global variables found last by PlaceOf, while the table stays as it was: globals
    // never move during a run, and every store asks for its variable's place.
    static constexpr std::size_t KeptPlaces = 8;
    mutable std::array<VariablePlace, KeptPlaces> keptPlaces{};
    mutable std::uint32_t keptPlacesGeneration = 0;
    mutable std::size_t nextKeptPlace = 0;
    mutable std::size_t lastKeptPlace = 0; // asked first: loops read and store the same ones
    bool ReadAllowed(const VariablePlace& place, std::uint32_t address) const;
    void SetPlaceAssigned(const VariablePlace& place, bool assigned);
    std::uint16_t LowerStackPointer(std::uint32_t size);
    void StorePointerNil(std::uint32_t address);
    void CreateLocalChain(std::uint16_t variable);
    std::uint16_t StringCapacity(const TypeInfo& type) const;
    inline void Decode(const TypeInfo& type, const std::uint8_t* from, std::size_t room);
    std::size_t StringRoom(const TypeInfo& type, const VariablePlace& place);
    void StorePointer(std::uint8_t* bytes);
    // Lets go of a reference the accumulator still holds (most of the time it holds none).
    void ReleaseAccumulatorReference()
    {
        if (accumulatorReference != DataAddress::Nil) {
            DropAccumulatorReference();
        }
    }
    void DropAccumulatorReference();
    // What an operator's result no longer holds of its operands: the accumulator's heap
    // reference and structure.
    void ReleaseOperands()
    {
        ReleaseAccumulatorReference();
        if (!Acc.Structure.empty()) {
            Acc.Structure.clear();
        }
    }
    inline void Encode(const TypeInfo& type, std::uint8_t* to, std::size_t room) const;
    void DropHeldReference(std::uint32_t block, std::uint32_t from, bool mayOrphan);
    void PopEntry(bool stepPoint);
    void AddEvaluationRow(std::uint8_t code);
    std::string FormatArray(std::uint32_t address, const TypeInfo& type);
    std::string EnumerationName(std::uint16_t enumType, std::int32_t ordinal) const;
    std::string CaptionOfPlace(const VariablePlace& place);
    std::int32_t OperandInteger(std::uint8_t code, std::int32_t integer, double real) const;
    void OperateSets(Operator op, const SetBits& right);
    void OperateStrings(Operator op, const ShortString& right);
    void OperateStructures(Operator op, std::uint16_t rightType, std::uint16_t rightSize,
                           const std::vector<std::uint8_t>& right);
    void OperateNumbers(Operator op, std::uint8_t leftCode, std::uint8_t rightCode,
                        std::int32_t rightInteger, double rightReal);
    void SetResult(bool truth);
    void FinishArithmetic(Operator op, std::uint8_t resultCode);
    // Two integer operands on top of the stack: the operator done on them as the general path
    // does it; false, nothing changed, when that path must take it (an error to raise included).
    bool OperateIntegers(Operator op, std::uint16_t resultType);
    // The same for two reals added, subtracted or multiplied into a real.
    bool OperateReals(Operator op, std::uint16_t resultType);
    // The value of `a` op `b` as OperateIntegers gives it; false when the general path must.
    inline bool IntegerResult(Operator op, std::int64_t a, std::int64_t b, std::uint16_t resultType,
                              std::int64_t& value) const;

    // A descriptor: the symbol, its marks, and the link (a stack offset, or a header's previous
    // header) in the high half.
    static constexpr std::uint32_t SymbolMask = 0x3FFF;
    static constexpr std::uint32_t MarkedBit = 0x4000;
    static constexpr std::uint32_t AssignedBit = 0x8000;

    QbSyntaxe& driver;
    HeapAccess* heap = nullptr;    // may be null
    DataViewHost* views = nullptr; // may be null

    std::vector<std::uint8_t> globals;
    std::vector<std::uint8_t> stack;
    std::uint32_t stackBytes = 0; // stack.size(), read on every access to a local
    std::array<std::uint32_t, DescriptorCount + 1> descriptors{};
    // Which descriptors are frame headers (a byte each: read on every access to a local).
    std::array<bool, DescriptorCount + 1> headers{};
    // Bytes of each variable descriptor's storage, noted when it is created (0: not known).
    std::array<std::uint32_t, DescriptorCount + 1> descriptorSizes{};

    std::uint16_t stackPointer = StackSize;
    std::uint16_t mark = StackSize;
    std::uint16_t frameBase = StackSize;
    std::uint16_t currentFrame = NoFrame;
    std::uint16_t descriptorTop = DescriptorCount - 1;
    int depth = 0;
    int maximumDepth = InitialMaximumDepth;
    std::uint32_t currentAddress = DataAddress::Nil;
    std::uint32_t accumulatorReference = DataAddress::Nil; // heap block the accumulator holds

    // Evaluation stack: entry n's data is [offsets[n], offsets[n + 1]); entries 1..count - 1.
    int evaluationCount = 1;
    std::uint32_t pushCount = 0;
    std::uint32_t popCount = 0;
    std::array<std::uint16_t, EvaluationEntries + 2> entryTypes{};
    std::array<std::uint8_t, EvaluationEntries + 2>
        entryCodes{}; // resolved, for the representation
    std::array<std::uint16_t, EvaluationEntries + 2> entryOffsets{};
    std::array<std::uint8_t, EvaluationDataSize> evaluationData{};
    // The structure copies owned by the stacked entries, by entry number.
    std::array<std::vector<std::uint8_t>, EvaluationEntries + 2> structureCopies;

    std::uint16_t lastPoppedType = 0;
    std::uint8_t lastPoppedCode = 0;
    std::vector<std::uint8_t> rightStructure;      // Operate's right operand, reused
    mutable std::vector<std::uint16_t> localChain; // DescribeFrame's walk of the variable chain
    // A local as its frame makes it: where it lies from the frame base, its size, and what
    // its bytes start as.
    struct LocalShape
    {
        std::uint16_t Variable = 0;
        std::int16_t Offset = 0;
        std::uint32_t Size = 0;
        Representation Kind = Representation::Integer;
    };
    void MakeLocal(const LocalShape& local);
    void PlaceLocal(const LocalShape& local, int offset);
    // EnterRoutine once its checks are made: the header pushed, the frame current.
    std::uint16_t PushHeader(std::uint16_t routine);
    // What every frame of a routine holds, while the table stays as it was: the variables
    // CreateLocals makes, in their order, and LeavesQuietly.
    struct RoutineFrame
    {
        std::uint32_t Generation = 0;
        bool Quiet = false;
        std::vector<std::uint16_t> Locals;
        std::vector<LocalShape> Shapes; // of Locals, in their order
        // No local is a file or a pointer (whose bytes are set when it is made); the lowest
        // offset of a local and the highest end, from the frame base.
        bool Plain = true;
        std::uint8_t HeaderSize = 4; // 6 for a routine declared with far frames
        int LowestOffset = 0;
        int HighestEnd = 0;
        std::uint16_t Result = 0; // a function's variable of its own name, when it has one
        // Its type, code and straight width, and where its descriptor lay above the frame's
        // header at the last return.
        std::uint16_t ResultType = 0;
        std::uint8_t ResultCode = 0;
        std::uint8_t ResultWidth = 0;
        bool ResultInteger = false; // of Integer representation
        mutable std::int32_t ResultDistance = 0;
    };
    mutable std::vector<RoutineFrame> keptFrames; // by routine entry
    mutable std::size_t keptFrameCount = 0;       // keptFrames.size(), read on every call
    mutable RoutineFrame otherFrame;
    // The frame worked out for the table as it stands (inline, runtime/DataInline.h: every
    // call asks for it).
    inline const RoutineFrame& FrameOf(std::uint16_t routine) const;
    const RoutineFrame& DescribedFrameOf(std::uint16_t routine) const;
    void DescribeFrame(std::uint16_t routine, RoutineFrame& frame) const;

    bool evaluationViewOpen = false;
    std::vector<std::string> evaluationRows;
};
