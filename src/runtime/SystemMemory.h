// The System unit's memory routines: NEW, GETMEM, DISPOSE, FREEMEM, MARK, RELEASE, ADDR, SIZEOF,
// SEG, OFS, PTR, FILLCHAR, MOVE, MEMAVAIL, MAXAVAIL, CSEG, DSEG, SSEG and SPTR.
#pragma once

#include "runtime/QbHeap.h"
#include "symbols/QbTable.h"

class QbSyntaxe;

struct SignedArgument;

// Declares the memory routines in `unit` (the SYSTEM unit's entry) with their handlers.
void RegisterMemoryRoutines(QbTable& table, EntryNumber unit);

// What NEW and DISPOSE do once their pointer argument is read (the driver's LastHeapCall):
// a statement executed again without reading its text does the same.
void NewPointed(QbSyntaxe& driver, const SignedArgument& pointer);
void DisposePointed(QbSyntaxe& driver, const SignedArgument& pointer);

// What the heap needs to know of the driver's program: the pointer fields of its types and the
// names of its variables, read from the driver's table and data manager at each call.
HeapHooks MakeHeapHooks(QbSyntaxe& driver);
