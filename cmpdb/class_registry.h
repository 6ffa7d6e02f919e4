// The record classes a database stream may name.
#pragma once

#include <string>

#include "cmpdb/archive_stream.h"

// The registered class whose name equals name exactly (letter case counts), or null.
// Registered: CCapacitorRec, CResistorRec, CInductorRec, each with schema number 0.
const CRuntimeClass* FindRegisteredClass(const std::string& name);
