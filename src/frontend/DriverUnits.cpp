// The driver's USES support: predefined modules activated, user units referenced.
#include "frontend/QbSyntaxe.h"

#include "lexical/QbDico.h"
#include "symbols/QbModule.h"
#include "symbols/QbTable.h"

#include <algorithm>

namespace {
// A use entry named `name` in `block`, linked into its tree of uses and pushed on its list.
EntryNumber NewUse(QbTable& table, const std::string& name, EntryNumber block)
{
    EntryNumber parent = 0;
    table.FindInBlock(name, EntryKind::Use, block, parent);
    const EntryNumber use = table.NewEntry(name, EntryKind::Use, block);
    table.LinkEntry(use, parent, block);
    return use;
}
} // namespace

// One name of a USES clause: a predefined unit is activated; a user unit gets a use entry of
// the current routine (error 3 when it already has one), linked to the unit when the unit is
// known, otherwise numbered and left to be loaded after the clause.
void QbSyntaxe::UseUnit(const std::string& name)
{
    const int slot = FindModule(name);
    if (slot >= 0) {
        ActivateModule(slot);
        return;
    }
    const EntryNumber block = CurrentRoutine;
    if (Table->FindUse(block, name) != 0) {
        Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
    }
    const EntryNumber use = NewUse(*Table, name, block);
    const EntryNumber unit = Table->FindUnit(name);
    if (unit != 0) {
        const EntryNumber other = Table->FindUseOf(unit);
        Table->SetCode(use, other != 0 ? Table->Code(other) : UseState::Loaded);
        Table->SetLink1(use, Table->Link1(other));
        Table->SetValue(use, unit);
        return;
    }
    Table->SetLink1(use, ++UnitCount);
}

// The predefined unit of module slot `slot` becomes used by the current routine. The first use
// in a run creates its unit entry and lets the module declare its names there; a unit already
// used by the routine changes nothing.
void QbSyntaxe::ActivateModule(int slot)
{
    if (slot < 0 || slot >= SlotCount || ModuleSlots[slot].Name.empty()) {
        return;
    }
    ModuleSlot& module = ModuleSlots[slot];
    const EntryNumber block = CurrentRoutine;
    if (Table->FindUse(block, module.Name) != 0) {
        return;
    }
    const EntryNumber use = NewUse(*Table, module.Name, block);
    Table->SetCode(use, UseState::Loaded);
    Table->SetLink1(use, static_cast<std::uint16_t>(slot));
    EntryNumber unit = Table->FindUnit(module.Name);
    if (unit == 0) {
        unit = Table->NewUnit(module.Name);
        QbModule* object = Dictionary->ModuleByName(module.Name);
        if (object == nullptr) {
            object = Dictionary->AddModule(module.ModuleClass, "");
        }
        if (object != nullptr) {
            object->Register(*Table, unit);
        }
        // The module's variables (CRT's TEXTATTR...) belong to the global area as well.
        GlobalsSize = std::max(GlobalsSize, Table->GlobalSize());
        module.Flags |= 1;
    }
    Table->SetValue(use, unit);
}
