// The data manager's hottest path, inline for its own files that take it on every value.
#pragma once

#include "frontend/QbSyntaxe.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbTable.h"

// A type resolved while the table stays as it was: one comparison when it is kept.
inline const QbGesdata::ResolvedType& QbGesdata::KeptType(std::uint16_t type) const
{
    const ResolvedType& slot = resolvedTypes[type % ResolvedSlots];
    if (slot.Type == type && slot.Generation != 0 && driver.Table != nullptr &&
        slot.Generation == driver.Table->Generation()) {
        return slot;
    }
    return ResolveKept(type);
}
