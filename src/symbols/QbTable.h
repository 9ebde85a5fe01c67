// The symbol table: every name known while a program is checked, run or compiled.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QbSyntaxe;

// The number of a symbol-table entry; 0 is "none", 1 the program's root block.
using EntryNumber = std::uint16_t;

enum class EntryKind : std::uint8_t
{
    Label = 0,
    Constant = 1,
    Type = 2,
    Variable = 3,  // also parameters, record fields, class members, function results
    Procedure = 4, // also the program and every unit
    Function = 5,
    EnumValue = 6,
    Property = 7, // never linked into a name tree
    Use = 8       // a `uses` reference
};

// The Code of a type entry. Every subsystem speaks of types by these numbers.
namespace TypeCode {
constexpr std::uint8_t Boolean = 0;
constexpr std::uint8_t Char = 1;
constexpr std::uint8_t Enumerated = 2;
constexpr std::uint8_t Byte = 3;
constexpr std::uint8_t Integer = 4;
constexpr std::uint8_t Word = 5;
constexpr std::uint8_t Longint = 6;
constexpr std::uint8_t Subrange = 7;
constexpr std::uint8_t Real = 8;
constexpr std::uint8_t Unused9 = 9; // no declaration produces it
constexpr std::uint8_t String = 10;
constexpr std::uint8_t Pointer = 11;
constexpr std::uint8_t Array = 12;
constexpr std::uint8_t Set = 13;
constexpr std::uint8_t Record = 14;
constexpr std::uint8_t Database = 15;
constexpr std::uint8_t Alias = 16; // a named copy of another type
constexpr std::uint8_t UntypedFile = 17;
constexpr std::uint8_t TypedFile = 18;
constexpr std::uint8_t Text = 19;
constexpr std::uint8_t ProcedureType = 20;
constexpr std::uint8_t FunctionType = 21;
constexpr std::uint8_t Class = 23;
constexpr std::uint8_t AbstractClass = 24; // a class with abstract methods not yet overridden
constexpr std::uint8_t Undeclared = 255;   // target of a pointer declared before its type
} // namespace TypeCode

// The Code of a kind-3 entry.
namespace VariableMode {
constexpr std::uint8_t Plain = 0;
constexpr std::uint8_t ValueParameter = 1;
constexpr std::uint8_t VarParameter = 2;
constexpr std::uint8_t FunctionResult = 4;
constexpr std::uint8_t ConstParameter = 6;
constexpr std::uint8_t OutParameter = 7;
constexpr std::uint8_t MethodMarker = 127; // anonymous entry right before a method's entry
} // namespace VariableMode

// Bits of the Aux of a kind-3 entry.
namespace VariableFlag {
constexpr std::uint16_t Run = 1;           // a plain variable's run flag (ClearVarFlags)
constexpr std::uint16_t AccessMask = 3;    // a class member's access
constexpr std::uint16_t PrivateAccess = 1; // a class member's access value for "private"
} // namespace VariableFlag

// Bits of the Code of a routine entry (kinds 4 and 5).
namespace RoutineFlag {
constexpr std::uint8_t FarFrame = 1;     // declared with 6-byte frame headers
constexpr std::uint8_t Forward = 4;      // heading read, body not yet defined
constexpr std::uint8_t Predefined = 128; // carries a handler, has no routine block
} // namespace RoutineFlag

// The 19 slots of a routine block (kinds 4 and 5). Slots 0-6 and 8 are the roots of the block's
// name trees, slot = entry kind.
namespace RoutineSlot {
constexpr int Count = 19;
constexpr int WithDepth = 7;
constexpr int BodyStartColumn = 9;
constexpr int BodyStartLine = 10;
constexpr int BodyEndColumn = 11;
constexpr int BodyEndLine = 12;
constexpr int ForwardLine = 13;
constexpr int DefiningLine = 14;
constexpr int CodeData = 15;
constexpr int FirstUse = 16;
constexpr int NextUnit = 17; // entry 1 holds the head of the unit chain
constexpr int FirstVariable = 18;
} // namespace RoutineSlot

// The Code of a kind-8 entry.
namespace UseState {
constexpr std::uint8_t NotLoaded = 0;
constexpr std::uint8_t Loaded = 1;
} // namespace UseState

// What the table asks of the front-end about the records opened by WITH statements. The Pascal
// front-end implements it; without one (the C front-end, tests) WITH fields are never found.
class WithScope
{
  public:
    virtual ~WithScope() = default;
    // A routine entry was just made: record the current WITH depth in its slot 7.
    virtual void StoreWithDepth(EntryNumber routine) = 0;
    // A field named `name` among the records opened by WITH, innermost first, above the depth
    // recorded in `routine`'s slot 7.
    virtual bool FindWithField(std::string_view name, EntryNumber routine, EntryNumber& field) = 0;
};

// The one table of every name known during a check, run or compilation: blocks (program, units,
// routines), constants, types, variables, record fields, class members, labels, enumeration
// values, properties and `uses` references, the predefined names of the modules included. It is
// a fixed array of MaxEntries entries, numbered from 1; each block owns one binary tree of names
// per entry kind, and lookups walk outward through enclosing blocks, then the used units.
// Owned by the driver and rebuilt (Reset) for every run; the views read it after a run. Entry
// numbers may come from program data: every accessor accepts any number, reads of an entry that
// does not exist give the neutral values of entry 0 and writes to it are ignored.
class QbTable
{
  public:
    static constexpr EntryNumber MaxEntries = 1000;
    static constexpr std::size_t NameLength = 32;
    static constexpr std::uint16_t ResultWord = 71; // the vocabulary's RESULT
    // A predefined routine's behaviour; the driver calls it with itself and the routine's entry.
    using RoutineHandler = std::function<void(QbSyntaxe& driver, EntryNumber routine)>;
    // What a predefined function does once its `values` arguments are on the evaluation stack,
    // the last on top: it pops them and pushes its result, of type `result`. The handler reads
    // the arguments as always; a recorded plan repeats the call through this.
    using RoutineApply = void (*)(QbSyntaxe& driver, int values, std::uint16_t result);

    explicit QbTable(QbSyntaxe& driver);
    ~QbTable();
    QbTable(const QbTable&) = delete;
    QbTable& operator=(const QbTable&) = delete;

    // Frees everything the entries own; next free 1, first user entry 1, no predefined types.
    void Reset();
    // Frees the routine blocks, constant blocks and handlers the entries own; the entries stay.
    void FreeEntries();
    // The front-end's WITH support; may be null.
    void SetWithScope(WithScope* scope) { withScope = scope; }
    // Lookups keep their answers until the table changes; a new run starts without them.
    void ForgetLookups();
    // Changes with every change of the table (and every new run): what others keep from it is
    // valid while this stays the same.
    std::uint32_t Generation() const { return lookupGeneration; }

    // Field access.
    bool IsEntry(EntryNumber entry) const { return entry >= 1 && entry < nextFree; }
    const std::string& GetName(EntryNumber entry) const;
    void SetName(EntryNumber entry, std::string_view name); // cut to NameLength
    std::uint16_t Aux(EntryNumber entry) const;
    void SetAux(EntryNumber entry, std::uint16_t value);
    // A plain variable's run flag: set while the program runs, read by no lookup, so kept
    // answers and the plans recorded under this generation still hold.
    void SetRunFlag(EntryNumber entry, bool assigned);
    std::uint16_t Value(EntryNumber entry) const;
    void SetValue(EntryNumber entry, std::uint16_t value);
    EntryNumber Owner(EntryNumber entry) const;
    void SetOwner(EntryNumber entry, EntryNumber owner);
    EntryNumber Left(EntryNumber entry) const;
    EntryNumber Right(EntryNumber entry) const;
    EntryKind Kind(EntryNumber entry) const;
    // The Hidden bit: declared in the implementation part of a unit.
    bool IsMarked(EntryNumber entry) const;
    void Mark(EntryNumber entry, bool hidden = true);
    std::uint8_t Code(EntryNumber entry) const;
    void SetCode(EntryNumber entry, std::uint8_t code);
    std::uint16_t Link1(EntryNumber entry) const;
    void SetLink1(EntryNumber entry, std::uint16_t value);
    std::uint16_t Link2(EntryNumber entry) const;
    void SetLink2(EntryNumber entry, std::uint16_t value);
    // The whole 32-bit cell (Link1 low half, Link2 high half): a LONGINT constant's value.
    std::uint32_t Cell(EntryNumber entry) const;
    void SetCell(EntryNumber entry, std::uint32_t value);
    // The constant block owned by the entry: a REAL's 8 bytes, a string's length byte and text,
    // a typed constant's data (size + 2 bytes). Empty when the entry owns none.
    std::span<std::uint8_t> AttrBlock(EntryNumber entry);
    std::span<const std::uint8_t> AttrBlock(EntryNumber entry) const;
    void SetAttrBlock(EntryNumber entry, std::vector<std::uint8_t> block);
    // The last two bytes of a typed constant's block: its data address once compiled.
    std::uint16_t TypedConstAddress(EntryNumber entry) const;
    void SetTypedConstAddress(EntryNumber entry, std::uint16_t address);
    // A predefined routine's handler (empty for any other entry).
    const RoutineHandler& Handler(EntryNumber entry) const;
    void SetHandler(EntryNumber entry, RoutineHandler handler);
    // A predefined function's apply (null for any other entry or a function without one).
    RoutineApply Apply(EntryNumber entry) const;
    void SetApply(EntryNumber entry, RoutineApply apply);
    // Routine-block slots; 0 (and writes ignored) for an entry without a block or i outside 0-18.
    bool HasRoutineBlock(EntryNumber entry) const;
    std::uint16_t Slot(EntryNumber entry, int i) const;
    void SetSlot(EntryNumber entry, int i, std::uint16_t value);

    EntryNumber NextFree() const { return nextFree; }
    EntryNumber FirstUserEntry() const { return firstUserEntry; }
    EntryNumber PredefTypesStart() const { return predefTypesStart; }
    EntryNumber PredefTypesEnd() const { return predefTypesEnd; }
    void MarkPredefTypesStart() { predefTypesStart = nextFree; }
    void MarkPredefTypesEnd() { predefTypesEnd = nextFree; }
    // The first call stores next free as the first user entry; later calls change nothing.
    void MarkUserStart();
    // Size of the global data area: the Value of the root block.
    std::uint16_t GlobalSize() const { return Value(1); }

    // Creating and linking.
    // Takes the next free number (error 254 when the table is full); kinds 4 and 5 get a zeroed
    // routine block (and the WITH scope records its depth); a kind-8 entry is pushed at the
    // head of its owner's `uses` list.
    EntryNumber NewEntry(std::string_view name, EntryKind kind, EntryNumber owner);
    // Links the entry into `owner`'s tree for its kind. `parent` is the node a failed lookup
    // returned; the entry is inserted by descending from the tree's root, so a stale or foreign
    // parent cannot detach a subtree. Kind-7 entries are never linked.
    void LinkEntry(EntryNumber entry, EntryNumber parent, EntryNumber owner);
    // Link2(b) = a, Link2(a) = 0.
    void ChainAfter(EntryNumber a, EntryNumber b);
    // Pushes a variable at the head of a block's variable list (slot 18).
    void PushVariable(EntryNumber block, EntryNumber variable);
    // A declaration: error 3 when `name` already has an entry of `kind` in `block`'s own tree;
    // otherwise a new entry owned by `block`, linked into that tree.
    EntryNumber Declare(std::string_view name, EntryKind kind, EntryNumber block);

    // Lookup.
    // Binary search from `root`; not found: `node` is the last entry visited (0 for no tree).
    bool TreeFind(std::string_view name, EntryNumber root, EntryNumber& node) const;
    // Only `block`'s own tree for `kind`.
    bool FindInBlock(std::string_view name, EntryKind kind, EntryNumber block,
                     EntryNumber& node) const;
    // Scoped search: the block, class members and WITH records (variables), enclosing blocks,
    // the outermost block's used units. Not found: `entry` is the insertion parent in `block`'s
    // own tree. Raises 125 (private member of an ancestor) and, while executing, 212/213 under
    // options A 32/64.
    bool Lookup(std::string_view name, EntryKind kind, EntryNumber& entry, EntryNumber block);
    // Lookup for kinds 0 to 6 in that order; the first hit wins.
    bool LookupAny(std::string_view name, EntryNumber block, EntryNumber& entry);
    // Walks Link2 from `start` (inclusive).
    bool ChainFind(std::string_view name, EntryNumber start, EntryNumber& entry) const;
    // Walks Link2 from Link2(entry); not found: `found` is the chain's last entry.
    bool ChainFindAfter(std::string_view name, EntryNumber entry, EntryNumber& found) const;
    // The member chain of `classType`, then of its ancestors (Link1).
    bool FindMember(std::string_view name, EntryNumber classType, EntryNumber& member,
                    EntryNumber& owningClass) const;
    // True when entry - 1 is a method marker; `classType` is its Owner.
    bool MethodOwner(EntryNumber entry, EntryNumber& classType) const;

    // Units and uses.
    EntryNumber FindUnit(std::string_view name) const;
    EntryNumber FirstUnit() const { return Slot(1, RoutineSlot::NextUnit); }
    EntryNumber NextUnit(EntryNumber unit) const { return Slot(unit, RoutineSlot::NextUnit); }
    // Pushes the unit at the head of the chain, after entry 1.
    void AddUnit(EntryNumber unit);
    // A kind-4 entry with Owner 0 on the unit chain; every pending `uses` reference of that name,
    // in any block, then refers to it.
    EntryNumber NewUnit(std::string_view name);
    EntryNumber FirstUse(EntryNumber block) const { return Slot(block, RoutineSlot::FirstUse); }
    EntryNumber NextUse(EntryNumber use) const;
    // The reference named `name` in `block`'s `uses` list; 0 when none.
    EntryNumber FindUse(EntryNumber block, std::string_view name) const;
    // The reference, in the list of entry 1 or of any unit, whose Value is `unit`; 0 when none.
    EntryNumber FindUseOf(EntryNumber unit) const;

    // Structure.
    EntryNumber Outermost(EntryNumber entry) const;
    int Depth(EntryNumber entry) const;
    // For a block: its first variable; for a variable: the next one in its chain.
    EntryNumber NextVariable(EntryNumber entry) const;
    // The kind-2 entry named by vocabulary word `wordCode`, looked up from entry 1; 0 when none.
    EntryNumber PredefTypeByWord(std::uint16_t wordCode);
    // The predefined type whose Code is `code`; `code` itself when there is none.
    EntryNumber PredefTypeOfCode(std::uint8_t code) const;
    // Two types are the same simple type exactly when their keys are equal.
    std::uint16_t TypeKey(EntryNumber type) const;
    // A pointer type whose target is still undeclared, or a class with a method declared but
    // not defined ("Class.Method"), in the tree rooted at `root` (front-end error 52).
    bool FindUnresolvedPointer(EntryNumber root, std::string& name) const;
    // A routine still marked Forward in the tree rooted at `root` (front-end error 53).
    bool FindUnresolvedForward(EntryNumber root, std::string& name) const;
    // The line lies in the body of the unit (or program) named `unitName` or of a routine
    // nested in it.
    bool LineInUnit(std::string_view unitName, int line) const;

    // Types and values.
    // Bytes of a value of type code `code`; error 134 for codes without a fixed size.
    std::uint16_t TypeSize(std::uint8_t code);
    // The size of a type code whose size never depends on a declaration; 0 for the others.
    static inline std::uint16_t ScalarSize(std::uint8_t code);
    // The first value and the number of values of an array index type; false for a type that
    // cannot index.
    bool IndexBounds(EntryNumber indexType, std::int32_t& low, std::int32_t& count) const;
    std::uint16_t SizeOf(EntryNumber type);
    // Follows named copies (code 16) to the type they name.
    EntryNumber BaseType(EntryNumber type) const;
    bool InRange(EntryNumber type, std::int32_t value) const;
    // Whether a predefined scalar type code can hold `value` (codes without bounds always can).
    static bool CodeHolds(std::uint8_t code, std::int32_t value)
    {
        std::int32_t low = 0;
        std::int32_t high = 0;
        CodeRange(code, low, high);
        return value >= low && value <= high;
    }
    // The values CodeHolds and InRange let through: low to high.
    static void CodeRange(std::uint8_t code, std::int32_t& low, std::int32_t& high)
    {
        switch (code) {
        case TypeCode::Boolean:
            low = 0;
            high = 1;
            break;
        case TypeCode::Char:
        case TypeCode::Byte:
            low = 0;
            high = 255;
            break;
        case TypeCode::Integer:
            low = -32768;
            high = 32767;
            break;
        case TypeCode::Word:
            low = 0;
            high = 65535;
            break;
        default:
            low = std::numeric_limits<std::int32_t>::min();
            high = std::numeric_limits<std::int32_t>::max();
            break;
        }
    }
    void RangeOf(EntryNumber type, std::int32_t& low, std::int32_t& high) const;
    bool IsStructured(EntryNumber type) const;
    int PointerFieldCount(EntryNumber record) const;
    // The name of the n-th field (from 1) whose type has Code `codeFilter` (127: any field);
    // "field." n when there is none.
    std::string FieldName(int n, std::uint8_t codeFilter, EntryNumber record) const;
    // Where a byte offset lies inside a value of `type`: "[i,j]" for arrays, ".name" for
    // records, repeated into nested types.
    std::string ElementPath(EntryNumber type, std::uint32_t offset) const;
    // The global variable (of entry 1 or of any unit) whose bytes hold `address`; 0 when none.
    EntryNumber VariableAt(std::uint32_t address, std::uint32_t& offset) const;
    // Another global variable shares bytes with `variable` (declared ABSOLUTE over it, or it
    // over another).
    bool SharesBytes(EntryNumber variable) const;
    // The name and element path of a global address; `withUnitName` prefixes "Unit.".
    std::string DescribeAddress(std::uint32_t address, bool withUnitName) const;
    // The field names of a root-scope variable of record or class type, CR LF separated.
    std::string FieldList(std::string_view variableName) const;
    // Clears the run flag of every variable of every block.
    void ClearVarFlags();
    // The front-end's check of a variable read inside `routine`: error 93 for a variable of the
    // outermost block under option A 64, 94 for one of an enclosing routine under option A 32.
    void CheckVariableAccess(EntryNumber variable, EntryNumber routine);

    // Registration of predefined names (modules); `word` is a vocabulary word code whose
    // current wording becomes the name. Each does nothing and returns the existing entry when
    // the name is already declared in the block for that kind.
    EntryNumber DeclareConst(EntryNumber block, std::uint16_t word, std::uint16_t link1,
                             std::uint8_t code);
    EntryNumber DeclareType(EntryNumber block, std::uint16_t word, std::uint16_t size,
                            std::uint8_t code);
    // A variable of the predefined type of `code`, at the next global address (error 237 when
    // `block` is neither a block nor a record type).
    EntryNumber DeclareVar(EntryNumber block, std::uint16_t word, std::uint8_t code);
    // `kind` is Procedure or Function; a function also gets its result entry.
    EntryNumber DeclareRoutine(EntryNumber block, std::uint16_t word, RoutineHandler handler,
                               std::uint8_t resultCode, EntryKind kind, std::uint16_t paramSpec);

  private:
    struct Entry
    {
        std::string Name;
        std::uint16_t Aux = 0;
        std::uint16_t Value = 0;
        EntryNumber Left = 0;
        EntryNumber Right = 0;
        EntryNumber Owner = 0;
        std::uint8_t KindByte = 0; // kind in the low 7 bits, Hidden in the top bit
        std::uint8_t Code = 0;
        std::uint32_t Cell = 0;
        std::optional<std::array<std::uint16_t, RoutineSlot::Count>> Slots;
        std::vector<std::uint8_t> Block;
        RoutineHandler Handler;
        RoutineApply Apply = nullptr;
    };

    const Entry& At(EntryNumber entry) const;
    // Every change of an entry goes through here (or Allocate, FreeEntries, LinkEntry,
    // ClearVarFlags), and forgets the kept lookups.
    Entry* Writable(EntryNumber entry);
    bool LookupOutward(std::string_view key, EntryKind kind, EntryNumber& entry, EntryNumber block);
    // Lookups answered since the table last changed: name, kind (with the executing bit) and
    // block to the entry found, or to the answer "not found" with its insertion parent.
    struct KeptLookup
    {
        std::uint32_t Generation = 0;
        std::uint32_t Hash = 0;
        EntryNumber Block = 0;
        EntryNumber Entry = 0;
        std::uint8_t KindBits = 0;
        std::uint8_t Length = 0;
        bool Found = false;
        std::array<char, 32> Name{};
    };
    static constexpr std::size_t KeptLookupSlots = 1024;
    std::vector<KeptLookup> lookupCache;
    std::uint32_t lookupGeneration = 1;
    EntryNumber Allocate(std::string_view name, EntryKind kind, EntryNumber owner);
    bool SearchUsedUnits(std::string_view name, EntryKind kind, EntryNumber start,
                         EntryNumber outermost, EntryNumber& entry) const;
    void CheckEnclosingAccess(EntryNumber foundBlock);
    // The predefined type of a code; 0 when there is none.
    EntryNumber FindPredefType(std::uint8_t code) const;
    // SizeOf for the views: 0 instead of error 134.
    std::uint32_t QuietSizeOf(EntryNumber type) const;
    std::string ElementPathAt(EntryNumber type, std::uint32_t offset, int depth) const;
    bool HasForwardMethod(EntryNumber classType, std::string& name) const;
    bool RoutineHoldsLine(EntryNumber routine, int line, int depth) const;
    // Calls `visit` on every node of the tree under `root` until it returns true.
    bool AnyInTree(EntryNumber root, const std::function<bool(EntryNumber)>& visit) const;

    QbSyntaxe& driver;
    WithScope* withScope = nullptr; // may be null
    EntryNumber nextFree = 1;
    EntryNumber firstUserEntry = 1;
    bool userStartMarked = false;
    EntryNumber predefTypesStart = 0;
    EntryNumber predefTypesEnd = 0;
    std::vector<Entry> entries; // MaxEntries + 1; entry 0 stays zeroed
};

inline std::uint16_t QbTable::ScalarSize(std::uint8_t code)
{
    switch (code) {
    case TypeCode::Boolean:
    case TypeCode::Char:
    case TypeCode::Enumerated:
    case TypeCode::Byte:
        return 1;
    case TypeCode::Integer:
    case TypeCode::Word:
    case TypeCode::Subrange:
    case TypeCode::Unused9:
        return 2;
    case TypeCode::Real:
        return 8;
    case TypeCode::String:
        return 256;
    case TypeCode::Set:
        return 32;
    case TypeCode::Longint:
    case TypeCode::Pointer:
    case TypeCode::ProcedureType:
    case TypeCode::FunctionType:
        return 4;
    default:
        return 0;
    }
}

// The accessors every reading of a running program asks, inline.
inline const QbTable::Entry& QbTable::At(EntryNumber entry) const
{
    return IsEntry(entry) ? entries[entry] : entries[0];
}
inline std::uint16_t QbTable::Aux(EntryNumber entry) const
{
    return At(entry).Aux;
}
inline std::uint16_t QbTable::Value(EntryNumber entry) const
{
    return At(entry).Value;
}
inline EntryNumber QbTable::Owner(EntryNumber entry) const
{
    return At(entry).Owner;
}
inline EntryKind QbTable::Kind(EntryNumber entry) const
{
    return static_cast<EntryKind>(At(entry).KindByte & 0x7F);
}
inline std::uint8_t QbTable::Code(EntryNumber entry) const
{
    return At(entry).Code;
}
inline std::uint16_t QbTable::Slot(EntryNumber entry, int i) const
{
    const Entry& e = At(entry);
    if (!e.Slots || i < 0 || i >= RoutineSlot::Count) {
        return 0;
    }
    return (*e.Slots)[static_cast<std::size_t>(i)];
}
