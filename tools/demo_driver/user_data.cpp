#include "tools/demo_driver/user_data.h"

#include <memory>
#include <string>

#include "cmpdb/record_document.h"
#include "platform/reporter.h"
#include "tools/demo_driver/screen.h"
#include "tools/gui_driver/gui_driver.h"

namespace demo {

namespace {

constexpr char kUserModel[] = ".model MyNPN NPN(IS=2E-14 BF=123 Vceo=45 Icrating=150m mfg=My_Lab)";

// A database message becomes a line of the walk-through.
class SayReporter : public platform::Reporter {
 public:
  void Message(const std::string& text) override { Say("  message: %s", text.c_str()); }
};

}  // namespace

int AddUserData(const std::string& dir) {
  const std::string cap = dir + "\\lib\\cmp\\standard.cap";
  CCapacitorDoc doc;
  SayReporter report;
  if (!doc.Open(cap, report)) {
    Say("  Could not read %s", cap.c_str());
    return 1;
  }
  const size_t before = doc.m_records.size();
  auto record = std::make_unique<CCapacitorRec>();
  record->m_strManufacturer = "My Lab";
  record->m_strPartNumber = "ML-C100N-50";
  record->m_strType = "X7R ceramic";
  record->m_fCapacitance = 100e-9f;
  record->m_fRatedVoltage = 50;
  record->m_fParam3 = 0.02f;
  record->m_fParam4 = 0.5f;
  record->m_nParam7 = 1;
  doc.m_records.push_back(std::move(record));
  if (!doc.Save(cap, report)) {
    Say("  Could not write %s", cap.c_str());
    return 1;
  }
  Say("  %s: %zu records, now %zu with the capacitor \"My Lab\" ML-C100N-50 (100 nF, 50 V)",
      WithHostPath(cap).c_str(), before, doc.m_records.size());

  const std::string bjt = dir + "\\lib\\cmp\\standard.bjt";
  if (!gui::FileExists(bjt)) {
    Say("  Could not read %s", bjt.c_str());
    return 1;
  }
  std::string text = gui::ReadFile(bjt);
  text += std::string(kUserModel) + "\r\n";
  gui::WriteFile(bjt, text);
  if (gui::ReadFile(bjt) != text) {
    Say("  Could not write %s", bjt.c_str());
    return 1;
  }
  Say("  %s: added %s", WithHostPath(bjt).c_str(), kUserModel);
  return 0;
}

}  // namespace demo
