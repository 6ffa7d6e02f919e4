#include "app/agreement_text.h"

#include <windows.h>

const char kAgreementText[] =
    "TVEX III SOFTWARE LICENCE AGREEMENT\r\n"
    "\r\n"
    "Copyright \xA9"
    " Quenmark Corporation. All rights reserved.\r\n"
    "\r\n"
    "Please read this agreement carefully before you install the software. By\r\n"
    "pressing Accept and then Install Now you agree to be bound by its terms. If\r\n"
    "you do not agree, press Decline and the installer will close without\r\n"
    "changing anything on this computer or in its registry.\r\n"
    "\r\n"
    "1. Licence. Quenmark Corporation grants you a free, non-exclusive and\r\n"
    "non-transferable licence to install and use the Zephrin/Tollvex III\r\n"
    "simulator, its help file, its libraries, its component databases and its\r\n"
    "example schematics (together, the software) on any number of computers that\r\n"
    "you own or control, for any lawful purpose, commercial or not.\r\n"
    "\r\n"
    "2. Copies. You may copy the installer for your own use and give unchanged\r\n"
    "copies of it to others free of charge. You may not sell the software or\r\n"
    "bundle it with a product for which a charge is made.\r\n"
    "\r\n"
    "3. Restrictions. You may not remove or change any copyright notice in the\r\n"
    "software. You may not modify, translate or adapt the software except as the\r\n"
    "law of your country expressly allows, and only to that extent.\r\n"
    "\r\n"
    "4. Your data. Schematics, symbols, models and component records that you\r\n"
    "create with the software belong to you. Updating the software keeps the\r\n"
    "records that you added to its own component databases.\r\n"
    "\r\n"
    "5. Ownership. The software is licensed, not sold. Quenmark Corporation and\r\n"
    "its suppliers keep all title and rights to the software.\r\n"
    "\r\n"
    "6. No warranty. The software is provided as is, without warranty of any\r\n"
    "kind, express or implied, including but not limited to the warranties of\r\n"
    "merchantability, fitness for a particular purpose and non-infringement.\r\n"
    "Simulation results are models of circuits, not measurements of them.\r\n"
    "\r\n"
    "7. Limitation of liability. In no event shall Quenmark Corporation or its\r\n"
    "suppliers be liable for any damages whatsoever, including lost profits,\r\n"
    "lost data or business interruption, arising out of the use of or the\r\n"
    "inability to use the software, even if advised of the possibility of such\r\n"
    "damages, or for any claim by any other party.\r\n"
    "8. Termination. This licence ends at once if you break any of its terms.\r\n"
    "You must then delete every copy of the software in your possession.\r\n"
    "9. Entire agreement. This is the whole agreement between you and Quenmark\r\n"
    "Corporation about the software and replaces any earlier understanding.\r\n"
    "10. Law. This agreement is governed by the law of the place where you\r\n"
    "obtained the software. If any term of it cannot be enforced, the other\r\n"
    "terms stay in full force.";

const std::size_t kAgreementTextLength = sizeof(kAgreementText) - 1;

std::wstring WidenLatin1(const char* text) {
  std::wstring wide;
  if (!text) return wide;
  for (const char* p = text; *p; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return wide;
}

std::string NarrowToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  int needed = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
  return narrow;
}
