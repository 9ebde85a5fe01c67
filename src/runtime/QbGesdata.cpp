// The data manager's areas, descriptors and frames: where every variable of a run lives.
#include "runtime/QbGesdata.h"

#include "frontend/QbSyntaxe.h"
#include "runtime/DataInline.h"
#include "runtime/DataViewHost.h"
#include "runtime/HeapAccess.h"
#include "symbols/QbTable.h"

#include <algorithm>
#include <new>

namespace {
bool IsReferenceMode(std::uint8_t mode)
{
    return mode == VariableMode::VarParameter || mode == VariableMode::OutParameter;
}

bool IsParameterMode(std::uint8_t mode)
{
    return mode == VariableMode::ValueParameter || mode == VariableMode::ConstParameter ||
           IsReferenceMode(mode);
}
} // namespace

void Accumulator::SetText(std::string_view text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    String[0] = static_cast<std::uint8_t>(length);
    std::copy_n(text.begin(), length, String.begin() + 1);
}

std::string Accumulator::Text() const
{
    return std::string(reinterpret_cast<const char*>(String.data()) + 1, String[0]);
}

QbGesdata::QbGesdata(QbSyntaxe& owner) : driver(owner) {}

QbGesdata::~QbGesdata() = default;

QbTable& QbGesdata::Table() const
{
    return *driver.Table;
}

bool QbGesdata::Open(std::uint16_t globalsSize)
{
    Close();
    try {
        globals.assign(globalsSize, 0);
        stack.assign(StackSize, 0);
        stackBytes = StackSize;
    } catch (const std::bad_alloc&) {
        Close();
        return false;
    }
    Reset();
    return true;
}

void QbGesdata::Reset()
{
    // What a previous run left stacked is forgotten without telling the heap, which is prepared
    // afresh for each run.
    for (auto& copy : structureCopies) {
        copy.clear();
    }
    evaluationCount = 1;
    entryOffsets[1] = 0;
    accumulatorReference = DataAddress::Nil;
    descriptors.fill(0);
    descriptorSizes.fill(0);
    headers.fill(false);
    descriptorTop = DescriptorCount - 1;
    currentFrame = NoFrame;
    depth = 0;
    maximumDepth = std::max(1, driver.GetOptions().MaxStack);
    stackPointer = StackSize;
    mark = StackSize;
    frameBase = StackSize;
    currentAddress = DataAddress::Nil;
    if (driver.OptionB(OptionB::InitializeVariables)) {
        std::fill(globals.begin(), globals.end(), 0);
        ClearAccumulator();
    }
    Acc.Structure.clear();
    Acc.StructureType = 0;
    Acc.StructureSize = 0;
    evaluationRows.clear();
}

void QbGesdata::Close()
{
    for (auto& copy : structureCopies) {
        copy.clear();
    }
    evaluationCount = 1;
    entryOffsets[1] = 0;
    accumulatorReference = DataAddress::Nil;
    std::vector<std::uint8_t>().swap(globals);
    std::vector<std::uint8_t>().swap(stack);
    stackBytes = 0;
    Acc.Structure.clear();
    currentFrame = NoFrame;
    depth = 0;
}

void QbGesdata::Fail(ErrorNumber number)
{
    ClearEvaluationStack();
    driver.Errors->Raise(number);
}

void QbGesdata::FailWithName(ErrorNumber number, const std::string& name)
{
    ClearEvaluationStack();
    driver.Errors->RaiseWith(number, name);
}

// Descriptors.

std::uint16_t QbGesdata::DescriptorSymbol(std::uint16_t index) const
{
    return index < DescriptorCount ? descriptors[index] & SymbolMask : 0;
}

std::uint16_t QbGesdata::DescriptorLink(std::uint16_t index) const
{
    return index < DescriptorCount ? static_cast<std::uint16_t>(descriptors[index] >> 16) : 0;
}

bool QbGesdata::IsFrameHeader(std::uint16_t index) const
{
    return index < DescriptorCount && headers[index];
}

bool QbGesdata::IsAssigned(std::uint16_t index) const
{
    return index < DescriptorCount && (descriptors[index] & AssignedBit) != 0;
}

void QbGesdata::NoteAssignedChanged(std::uint16_t index)
{
    views->AssignedChanged(DataAddress::Stack(DescriptorLink(index)));
}

bool QbGesdata::IsDescriptorMarked(std::uint16_t index) const
{
    return index < DescriptorCount && (descriptors[index] & MarkedBit) != 0;
}

void QbGesdata::ClearDescriptorMark(std::uint16_t index)
{
    if (index < DescriptorCount) {
        descriptors[index] &= ~MarkedBit;
    }
}

void QbGesdata::ClearMarksSince(std::uint16_t savedTop)
{
    for (std::uint16_t i = descriptorTop + 1; i <= savedTop && i < DescriptorCount; ++i) {
        ClearDescriptorMark(i);
    }
}

void QbGesdata::PushDescriptor(std::uint16_t symbol, std::uint16_t link)
{
    if (descriptorTop <= 1) {
        Fail(ErrorNumber::DescriptorStackFull);
    }
    descriptors[descriptorTop] = (symbol & SymbolMask) | (static_cast<std::uint32_t>(link) << 16);
    headers[descriptorTop] = false;
    descriptorSizes[descriptorTop] = 0;
    --descriptorTop;
}

// The previous header of a frame; NoFrame at the bottom (and for anything that is no header).
std::uint16_t QbGesdata::PreviousHeader(std::uint16_t frame) const
{
    if (!IsFrameHeader(frame)) {
        return NoFrame;
    }
    const std::uint16_t link = DescriptorLink(frame);
    return link > frame && link <= NoFrame ? link : NoFrame;
}

// The descriptor of `variable` among the variables of the frame whose header is `frame`.
// Variables lie above their header, up to the previous header.
std::uint16_t QbGesdata::FindInFrame(std::uint16_t frame, std::uint16_t variable) const
{
    if (!IsFrameHeader(frame)) {
        return 0;
    }
    const std::uint16_t end = PreviousHeader(frame);
    for (std::uint16_t i = frame + 1; i < end && i < DescriptorCount; ++i) {
        if (headers[i]) {
            break;
        }
        if (DescriptorSymbol(i) == variable && !IsDescriptorMarked(i)) {
            return i;
        }
    }
    return 0;
}

std::uint16_t QbGesdata::FindByNameInFrame(std::uint16_t frame, const std::string& name) const
{
    if (!IsFrameHeader(frame)) {
        return 0;
    }
    const QbTable& table = Table();
    const std::uint16_t end = PreviousHeader(frame);
    for (std::uint16_t i = frame + 1; i < end && i < DescriptorCount; ++i) {
        if (headers[i]) {
            break;
        }
        if (!IsDescriptorMarked(i) && table.GetName(DescriptorSymbol(i)) == name) {
            return i;
        }
    }
    return 0;
}

// The header of the frame a variable descriptor belongs to: the nearest header below it. A
// parameter of a call still being built (marked) belongs to no frame yet: the current one.
std::uint16_t QbGesdata::FrameOfDescriptor(std::uint16_t index) const
{
    if (IsDescriptorMarked(index)) {
        return currentFrame;
    }
    for (std::uint16_t i = index; i > descriptorTop && i >= 1; --i) {
        if (headers[i]) {
            return i;
        }
    }
    return currentFrame;
}

// Frames.

std::uint16_t QbGesdata::EnterRoutine(std::uint16_t routine)
{
    if (depth + 1 > maximumDepth) {
        Fail(ErrorNumber::TooManyRoutinesInStack);
    }
    if (routine != 0 && driver.OptionA(OptionA::ForbidRecursion)) {
        // Mutual recursion is caught here; a routine calling itself is refused at the call.
        for (std::uint16_t frame = currentFrame; frame != NoFrame; frame = PreviousHeader(frame)) {
            if (DescriptorSymbol(frame) == routine) {
                Fail(ErrorNumber::RecursionNotAllowed);
            }
        }
    }
    return PushHeader(routine);
}

std::uint16_t QbGesdata::PushHeader(std::uint16_t routine)
{
    PushDescriptor(routine, currentFrame);
    const std::uint16_t header = descriptorTop + 1;
    headers[header] = true;
    currentFrame = header;
    ++depth;
    return header;
}

std::uint16_t QbGesdata::LowerStackPointer(std::uint32_t size)
{
    if (stack.empty() || stackPointer < size) {
        Fail(ErrorNumber::ExecutionStackFull);
    }
    stackPointer = static_cast<std::uint16_t>(stackPointer - size);
    return stackPointer;
}

void QbGesdata::AllocateFrame(int headerSize)
{
    const std::uint32_t size = headerSize == 6 ? 6 : 4;
    if (stack.empty() || stackPointer < size) {
        Fail(ErrorNumber::ExecutionStackFull);
    }
    // The caller's frame base at the new frame base, the saved mark above it (a far frame's
    // last two bytes are left as they are).
    const auto base = static_cast<std::uint16_t>(stackPointer - size);
    std::uint8_t* const bytes = stack.data() + base;
    bytes[0] = static_cast<std::uint8_t>(frameBase);
    bytes[1] = static_cast<std::uint8_t>(frameBase >> 8);
    bytes[2] = static_cast<std::uint8_t>(mark);
    bytes[3] = static_cast<std::uint8_t>(mark >> 8);
    stackPointer = base;
    frameBase = base;
}

void QbGesdata::ReleaseFrame()
{
    if (stack.empty() || frameBase + 4 > StackSize) {
        return;
    }
    const std::uint8_t* const bytes = stack.data() + frameBase;
    const auto savedBase = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    const auto savedMark = static_cast<std::uint16_t>(bytes[2] | (bytes[3] << 8));
    // A frame that a store through a bad offset has damaged ends the frames rather than the
    // interpreter.
    frameBase = std::min(savedBase, StackSize);
    stackPointer = std::min(savedMark, StackSize);
}

std::uint32_t QbGesdata::VariableSize(std::uint16_t variable) const
{
    if (IsReferenceMode(Table().Code(variable))) {
        return 4;
    }
    return Resolve(TypeOfVariable(variable)).Size;
}

void QbGesdata::StorePointerNil(std::uint32_t address)
{
    if (std::uint8_t* bytes = Bytes(address, 4)) {
        std::fill_n(bytes, 4, 0);
    }
}

void QbGesdata::CreateVariable(std::uint16_t variable, int /*tag: no reverse-step journal*/,
                               bool fromStack)
{
    QbTable& table = Table();
    const std::uint8_t mode = table.Code(variable);
    const std::uint16_t typeArgument = TypeOfVariable(variable);
    const TypeInfo type = KeptType(typeArgument).Info;

    if (mode == VariableMode::ValueParameter || mode == VariableMode::ConstParameter) {
        const std::uint32_t width = DirectWidth(type.Code);
        if (width != 0 && width <= type.Size) {
            BindScalar(variable, type.Code, type.Size, fromStack);
            return;
        }
        const std::uint16_t offset = LowerStackPointer(type.Size);
        PushDescriptor(variable, offset);
        const std::uint16_t index = descriptorTop + 1;
        descriptors[index] |= MarkedBit;
        descriptorSizes[index] = type.Size;
        if (fromStack) {
            PopKept();
        }
        currentAddress = DataAddress::Stack(offset);
        if (RepresentationOf(type.Code) == Representation::Pointer) {
            StorePointerNil(currentAddress);
        }
        // The descriptor just pushed is the first one PlaceOf would meet: the place of the
        // parameter's own bytes.
        StoreTo({variable, index, currentAddress, type.Size}, typeArgument);
        return;
    }
    if (IsReferenceMode(mode)) {
        // The slot holds the address of the actual variable (already resolved through any VAR
        // parameter by AddressOf). An OUT parameter counts as assigned only once written.
        const std::uint32_t actual = currentAddress;
        const std::uint16_t offset = LowerStackPointer(4);
        PushDescriptor(variable, offset);
        const std::uint16_t index = descriptorTop + 1;
        descriptors[index] |= MarkedBit;
        descriptorSizes[index] = 4;
        DataAddress::Write(stack.data() + offset, actual);
        if (mode == VariableMode::VarParameter) {
            descriptors[index] |= AssignedBit;
        }
        return;
    }

    // A local (or the function's result).
    MakeLocal({variable, static_cast<std::int16_t>(table.Value(variable)), type.Size,
               RepresentationOf(type.Code)});
}

void QbGesdata::BindScalar(std::uint16_t variable, std::uint8_t code, std::uint32_t size,
                           bool fromStack)
{
    const std::uint16_t offset = LowerStackPointer(size);
    PushDescriptor(variable, offset);
    const std::uint16_t index = descriptorTop + 1;
    descriptors[index] |= MarkedBit;
    descriptorSizes[index] = size;
    if (fromStack) {
        PopKept();
    }
    currentAddress = DataAddress::Stack(offset);
    // Encoded straight into its bytes, as StoreTo encodes it: the `size` bytes just taken lie
    // below the old stack pointer, inside the stack.
    EncodeScalar(code, stack.data() + offset);
    SetAssigned(index);
}

// A local's descriptor, its bytes at `offset` in the stack (which holds them).
void QbGesdata::PlaceLocal(const LocalShape& local, int offset)
{
    stackPointer = std::min(stackPointer, static_cast<std::uint16_t>(offset));
    PushDescriptor(local.Variable, static_cast<std::uint16_t>(offset));
    descriptorSizes[descriptorTop + 1] = local.Size;
}

// A local at its negative offset from the frame base, its bytes as its kind starts them.
void QbGesdata::MakeLocal(const LocalShape& local)
{
    const int offset = static_cast<int>(frameBase) + local.Offset;
    if (stack.empty() || offset < 0 || offset + static_cast<int>(local.Size) > StackSize) {
        Fail(ErrorNumber::ExecutionStackFull);
    }
    PlaceLocal(local, offset);
    const std::uint32_t address = DataAddress::Stack(static_cast<std::uint32_t>(offset));
    if (local.Kind == Representation::None) {
        // A file variable starts closed: all its bytes zero.
        std::fill_n(stack.data() + offset, local.Size, 0);
    } else if (local.Kind == Representation::Pointer) {
        StorePointerNil(address);
    }
    if (driver.OptionB(OptionB::InitializeVariables)) {
        // Zero, and assigned.
        const std::uint32_t saved = currentAddress;
        currentAddress = address;
        if (local.Kind == Representation::None) {
            MarkAssigned();
        } else {
            ClearAccumulator();
            StoreValue(TypeOfVariable(local.Variable));
        }
        currentAddress = saved;
    }
}

const QbGesdata::RoutineFrame& QbGesdata::DescribedFrameOf(std::uint16_t routine) const
{
    const QbTable& table = Table();
    const std::uint32_t generation = table.Generation();
    if (routine > QbTable::MaxEntries) {
        // No entry of the table: worked out at every use.
        otherFrame = RoutineFrame{};
        DescribeFrame(routine, otherFrame);
        return otherFrame;
    }
    if (keptFrames.empty()) {
        keptFrames.resize(QbTable::MaxEntries + 1);
        keptFrameCount = keptFrames.size();
    }
    RoutineFrame& frame = keptFrames[routine];
    if (frame.Generation != generation || generation == 0) {
        frame.Locals.clear();
        frame.Shapes.clear();
        DescribeFrame(routine, frame);
        frame.Generation = generation;
    }
    return frame;
}

void QbGesdata::DescribeFrame(std::uint16_t routine, RoutineFrame& frame) const
{
    const QbTable& table = Table();
    // The chain lists the variables newest first; they are created in declaration order.
    std::vector<std::uint16_t>& chain = localChain;
    chain.clear();
    std::uint16_t variable = table.NextVariable(routine);
    for (int guard = 0; variable != 0 && guard < QbTable::MaxEntries; ++guard) {
        chain.push_back(variable);
        variable = table.NextVariable(variable);
    }
    const std::uint16_t result = routine + 1;
    const bool resultChained = std::find(chain.begin(), chain.end(), result) != chain.end();
    if (table.Kind(routine) == EntryKind::Function && !resultChained &&
        table.Kind(result) == EntryKind::Variable && table.Owner(result) == routine) {
        frame.Locals.push_back(result);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (table.Kind(*it) == EntryKind::Variable && !IsParameterMode(table.Code(*it))) {
            frame.Locals.push_back(*it);
        }
    }
    frame.Plain = true;
    frame.HeaderSize = (table.Code(routine) & RoutineFlag::FarFrame) != 0 ? 6 : 4;
    frame.LowestOffset = 0;
    frame.HighestEnd = 0;
    for (const std::uint16_t local : frame.Locals) {
        const TypeInfo type = KeptType(TypeOfVariable(local)).Info;
        const LocalShape shape{local, static_cast<std::int16_t>(table.Value(local)), type.Size,
                               RepresentationOf(type.Code)};
        frame.Shapes.push_back(shape);
        frame.Plain = frame.Plain && shape.Kind != Representation::None &&
                      shape.Kind != Representation::Pointer;
        frame.LowestOffset = std::min<int>(frame.LowestOffset, shape.Offset);
        frame.HighestEnd =
            std::max<int>(frame.HighestEnd, shape.Offset + static_cast<int>(shape.Size));
    }
    frame.Quiet = LeavesQuietly(routine);
    frame.Result = 0;
    if (table.Kind(routine) == EntryKind::Function) {
        const std::string& name = table.GetName(routine);
        for (EntryNumber entry = 1; entry < table.NextFree(); ++entry) {
            if (table.Owner(entry) == routine && table.Kind(entry) == EntryKind::Variable &&
                table.GetName(entry) == name) {
                frame.Result = entry;
                frame.ResultType = TypeOfVariable(entry);
                frame.ResultCode = KeptCode(frame.ResultType);
                frame.ResultWidth = static_cast<std::uint8_t>(DirectWidth(frame.ResultCode));
                frame.ResultInteger = RepresentationOf(frame.ResultCode) == Representation::Integer;
                frame.ResultDistance = 0;
                break;
            }
        }
    }
}

void QbGesdata::CreateLocals(std::uint16_t routine)
{
    // Creating them changes nothing in the table: the shapes stay the ones worked out.
    for (const LocalShape& local : FrameOf(routine).Shapes) {
        MakeLocal(local);
    }
}

bool QbGesdata::EnterPlainFrame(std::uint16_t routine, std::uint16_t savedTop)
{
    const RoutineFrame& frame = FrameOf(routine);
    const std::uint32_t size = frame.HeaderSize;
    const std::size_t locals = frame.Shapes.size();
    // Every check MakeLocal, PushDescriptor and EnterRoutine would make, made first.
    if (!frame.Plain || views != nullptr || stack.empty() || stackPointer < size ||
        descriptorTop <= locals + 1 || depth + 1 > maximumDepth || !driver.PlainFrames()) {
        return false;
    }
    const int base = static_cast<int>(stackPointer) - static_cast<int>(size);
    if (base + frame.LowestOffset < 0 || base + frame.HighestEnd > StackSize) {
        return false;
    }
    ClearMarksSince(savedTop);
    AllocateFrame(frame.HeaderSize);
    for (const LocalShape& local : frame.Shapes) {
        PlaceLocal(local, static_cast<int>(frameBase) + local.Offset);
    }
    PushHeader(routine);
    return true;
}

std::uint8_t QbGesdata::FrameHeaderSize(std::uint16_t routine) const
{
    return FrameOf(routine).HeaderSize;
}

void QbGesdata::MarkLocalAssigned(std::uint16_t variable)
{
    SetAssigned(FindInFrame(currentFrame, variable));
}

// LoadAssignedResult from the result's descriptor, found by its name when `index` is 0.
[[gnu::noinline]] bool QbGesdata::LoadResultAt(std::uint16_t function, std::uint16_t index)
{
    if (index == 0) {
        index = FindByNameInFrame(currentFrame, Table().GetName(function));
    }
    if (index == 0 || !IsAssigned(index)) {
        return false;
    }
    const std::uint16_t type = TypeOfVariable(DescriptorSymbol(index));
    currentAddress = DataAddress::Stack(DescriptorLink(index));
    LoadValue(type);
    PushKept(type);
    return true;
}

void QbGesdata::LoadFunctionResult(std::uint16_t function)
{
    if (!LoadAssignedResult(function)) {
        Fail(ErrorNumber::FunctionResultMissing);
    }
}

std::uint16_t QbGesdata::LeaveRoutine()
{
    if (currentFrame == NoFrame) {
        return NoFrame;
    }
    const QbTable& table = Table();
    const std::uint16_t header = currentFrame;
    const std::uint16_t routine = DescriptorSymbol(header);
    const std::uint16_t previous = PreviousHeader(header);
    if (views != nullptr || !FrameOf(routine).Quiet) {
        return LeaveCheckedRoutine(header, routine, previous);
    }
    // Nothing to check or let go of: only where the frame's variables end.
    std::uint16_t last = header;
    for (std::uint16_t i = header + 1; i < previous && i < DescriptorCount; ++i) {
        if (headers[i] || IsDescriptorMarked(i) || table.Owner(DescriptorSymbol(i)) != routine) {
            break;
        }
        last = i;
    }
    --depth;
    currentFrame = previous;
    descriptorTop = last;
    return currentFrame;
}

std::uint16_t QbGesdata::LeaveRoutine(std::uint16_t frameTop, bool quiet)
{
    if (currentFrame == NoFrame) {
        return NoFrame;
    }
    const std::uint16_t header = currentFrame;
    const std::uint16_t previous = PreviousHeader(header);
    // What the walk of LeaveRoutine finds: the call's parameters and locals lie between the
    // header and frameTop; above frameTop is the caller's header or a parameter of an enclosing
    // call still being built (marked).
    if (views != nullptr || frameTop < header || frameTop >= previous ||
        IsDescriptorMarked(frameTop) ||
        (frameTop + 1 < previous && !IsDescriptorMarked(frameTop + 1)) ||
        (!quiet && !FrameOf(DescriptorSymbol(header)).Quiet)) {
        return LeaveRoutine();
    }
    --depth;
    currentFrame = previous;
    descriptorTop = frameTop;
    return currentFrame;
}

// LeaveRoutine where the frame's variables are checked (an OUT parameter left unassigned) or
// let go of (a pointer's reference, an array's window).
[[gnu::noinline]] std::uint16_t
QbGesdata::LeaveCheckedRoutine(std::uint16_t header, std::uint16_t routine, std::uint16_t previous)
{
    const QbTable& table = Table();
    std::uint16_t last = header;
    // The frame's own variables: unmarked, owned by the routine. A marked descriptor above them
    // is a parameter of an enclosing call still being built.
    for (std::uint16_t i = header + 1; i < previous && i < DescriptorCount; ++i) {
        const std::uint16_t variable = DescriptorSymbol(i);
        if (headers[i] || IsDescriptorMarked(i) || table.Owner(variable) != routine) {
            break;
        }
        const std::uint8_t mode = table.Code(variable);
        if (mode == VariableMode::OutParameter && !IsAssigned(i)) {
            Fail(ErrorNumber::OutParameterNotAssigned);
        }
        const TypeInfo type = Resolve(TypeOfVariable(variable));
        if (type.Code == TypeCode::Array && views != nullptr) {
            const std::string caption =
                RoutineCaption(routine, header) + "." + table.GetName(variable);
            if (views->IsArrayWindowOpen(caption)) {
                views->CloseArrayWindow(caption);
            }
        }
        if (type.Code == TypeCode::Pointer && !IsReferenceMode(mode) && heap != nullptr) {
            const std::uint32_t address = DataAddress::Stack(DescriptorLink(i));
            if (const std::uint8_t* bytes = Bytes(address, 4)) {
                DropHeldReference(DataAddress::Read(bytes), address, false);
            }
        }
        last = i;
    }
    --depth;
    currentFrame = previous;
    descriptorTop = last;
    return currentFrame;
}

bool QbGesdata::LeavesQuietly(std::uint16_t routine) const
{
    // A frame holds the routine's own variables only (its parameters, its result, its locals).
    const QbTable& table = Table();
    for (EntryNumber entry = 1; entry < table.NextFree(); ++entry) {
        if (table.Owner(entry) != routine || table.Kind(entry) != EntryKind::Variable) {
            continue;
        }
        const std::uint8_t mode = table.Code(entry);
        if (mode == VariableMode::OutParameter) {
            return false;
        }
        if (!IsReferenceMode(mode) && Resolve(TypeOfVariable(entry)).Code == TypeCode::Pointer) {
            return false;
        }
    }
    return true;
}

void QbGesdata::UnwindAll()
{
    // A stopped run: frames go without the checks of a normal return, and heap cells may be
    // left without holders.
    ClearEvaluationStack();
    while (currentFrame != NoFrame) {
        const std::uint16_t previous = PreviousHeader(currentFrame);
        descriptorTop = std::max<std::uint16_t>(descriptorTop, currentFrame);
        currentFrame = previous;
        depth = std::max(0, depth - 1);
        ReleaseFrame();
    }
    descriptorTop = DescriptorCount - 1;
    depth = 0;
    stackPointer = StackSize;
    frameBase = StackSize;
}

// Addresses and assigned flags.

std::uint32_t QbGesdata::AddressOf(std::uint16_t variable)
{
    QbTable& table = Table();
    if (table.Kind(variable) != EntryKind::Variable) {
        return DataAddress::Nil;
    }
    const std::uint16_t owner = table.Owner(variable);
    if (owner == 0 || table.Owner(owner) == 0) {
        return DataAddress::Global(table.Value(variable));
    }
    std::uint16_t index = FindInFrame(currentFrame, variable);
    // A variable of an enclosing routine: its nearest activation.
    for (std::uint16_t frame = currentFrame; index == 0 && frame != NoFrame;
         frame = PreviousHeader(frame)) {
        if (DescriptorSymbol(frame) == owner) {
            index = FindInFrame(frame, variable);
        }
    }
    if (index == 0) {
        return DataAddress::Nil;
    }
    const std::uint32_t slot = DataAddress::Stack(DescriptorLink(index));
    if (!IsReferenceMode(table.Code(variable))) {
        return slot;
    }
    const std::uint8_t* bytes = Bytes(slot, 4);
    if (bytes == nullptr) {
        return DataAddress::Nil;
    }
    return DataAddress::Read(bytes);
}

QbGesdata::VariablePlace QbGesdata::PlaceOf(std::uint32_t address) const
{
    VariablePlace place;
    const DataAddress::Area area = DataAddress::AreaOf(address);
    if (area == DataAddress::Area::Global) {
        const std::uint32_t generation = Table().Generation();
        if (keptPlacesGeneration != generation) {
            keptPlaces.fill(VariablePlace{});
            keptPlacesGeneration = generation;
        }
        const VariablePlace& last = keptPlaces[lastKeptPlace];
        if (last.Entry != 0 && address >= last.Start && address - last.Start < last.Size) {
            return last;
        }
        for (std::size_t i = 0; i < KeptPlaces; ++i) {
            const VariablePlace& kept = keptPlaces[i];
            if (kept.Entry != 0 && address >= kept.Start && address - kept.Start < kept.Size) {
                lastKeptPlace = i;
                return kept;
            }
        }
        std::uint32_t offset = 0;
        const std::uint16_t entry = Table().VariableAt(address - DataAddress::GlobalBase, offset);
        if (entry != 0) {
            place.Entry = entry;
            place.Start = address - offset;
            place.Size = VariableSize(entry);
            if (place.Size != 0) {
                keptPlaces[nextKeptPlace] = place;
                nextKeptPlace = (nextKeptPlace + 1) % KeptPlaces;
            }
        }
    } else if (area == DataAddress::Area::Stack) {
        const std::uint32_t offset = address - DataAddress::StackBase;
        for (std::uint16_t i = descriptorTop + 1; i < DescriptorCount; ++i) {
            if (headers[i]) {
                continue;
            }
            const std::uint16_t entry = DescriptorSymbol(i);
            const std::uint32_t start = DescriptorLink(i);
            const std::uint32_t size =
                descriptorSizes[i] != 0 ? descriptorSizes[i] : VariableSize(entry);
            if (offset >= start && offset < start + std::max<std::uint32_t>(size, 1)) {
                place.Entry = entry;
                place.Descriptor = i;
                place.Start = DataAddress::Stack(start);
                place.Size = size;
                break;
            }
        }
    }
    return place;
}

bool QbGesdata::ReadAllowed(const VariablePlace& place, std::uint32_t address) const
{
    if (place.Entry == 0) {
        return true;
    }
    if (place.Descriptor == 0) {
        // The global area is zero-filled at each run when variables are initialised.
        return (Table().Aux(place.Entry) & VariableFlag::Run) != 0 ||
               driver.OptionB(OptionB::InitializeVariables);
    }
    if (!IsAssigned(place.Descriptor)) {
        return false;
    }
    if (address == place.Start) {
        return true;
    }
    const std::uint8_t code = Resolve(TypeOfVariable(place.Entry)).Code;
    return code == TypeCode::String || code == TypeCode::Array || code == TypeCode::Record;
}

void QbGesdata::SetPlaceAssigned(const VariablePlace& place, bool assigned)
{
    if (place.Entry == 0) {
        return;
    }
    if (place.Descriptor != 0) {
        SetAssigned(place.Descriptor, assigned);
        return;
    }
    QbTable& table = Table();
    const std::uint16_t aux = table.Aux(place.Entry);
    const std::uint16_t changed = assigned ? (aux | VariableFlag::Run) : (aux & ~VariableFlag::Run);
    if (changed != aux) {
        table.SetRunFlag(place.Entry, assigned);
        if (views != nullptr) {
            views->AssignedChanged(place.Start);
        }
    }
}

void QbGesdata::MarkAssigned()
{
    const DataAddress::Area area = DataAddress::AreaOf(currentAddress);
    if (area == DataAddress::Area::Heap) {
        if (heap != nullptr) {
            heap->Repaint();
        }
        return;
    }
    SetPlaceAssigned(PlaceOf(currentAddress), true);
}
