#include "cmpdb/class_registry.h"

#include "cmpdb/capacitor_record.h"
#include "cmpdb/inductor_record.h"
#include "cmpdb/resistor_record.h"

const CRuntimeClass* FindRegisteredClass(const std::string& name) {
  static const CRuntimeClass* const kClasses[] = {&CCapacitorRec::classCCapacitorRec,
                                                  &CResistorRec::classCResistorRec,
                                                  &CInductorRec::classCInductorRec};
  for (const CRuntimeClass* cls : kClasses) {
    if (name == cls->m_lpszClassName) return cls;
  }
  return nullptr;
}
