// What an installation writes into its directory before its first change, so that it can be
// undone: by itself when it fails or the user quits, and by the next run after a crash or a
// power cut. The run moves every file it replaces into the set-aside folder of the installation
// (a rename on the same volume) and lists it here, with every file and folder it makes.
//
// The file is text, one line each, written once and put in place in one step:
//
//   Tvex III undo journal 1
//   made-install-directory                 (only when the run made the directory itself)
//   folder lib\sub                         (a folder the run makes, outermost first)
//   new lib\sub\edge.lib                   (a file the run makes)
//   replace tvex3.exe<TAB>~tvexundo\0\2   (a file the run replaces, and where it is set aside)
//   end <lines before this one> <CRC-32 of the bytes before this line, 8 hex digits>
//
// Files are listed in the order the run changes them. Every path is relative to the install
// directory. The journal lies in a folder that other users may be able to change, and is read
// by an elevated program: the reader trusts nothing in it (see ParseUndoJournal).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The journal and the set-aside folder, below the install directory.
inline constexpr char kUndoJournalName[] = "~tvexundo.jnl";
inline constexpr char kSetAsideFolderName[] = "~tvexundo";

struct UndoJournal {
  // One file the run changes: made new, or replaced after its old version was set aside.
  struct File {
    std::string path;      // relative to the install directory
    std::string setAside;  // empty for a new file; else "~tvexundo\<bucket>\<number>"
  };

  bool madeInstallDirectory = false;
  std::vector<std::string> folders;  // made by the run, outermost first
  std::vector<File> files;           // in the order the run changes them
};

// The journal as it is written to the disk.
std::string FormatUndoJournal(const UndoJournal& journal);

// Reads text as a journal. Everything is checked before anything is returned: the first and the
// last line, the count and the check sum, and every path (relative, inside the install
// directory, printable ASCII, no "." or ".." and no empty name, no device name, no name that
// ends in a dot or a blank, no name Windows forbids, nothing inside the set-aside folder and
// not the journal itself, no path twice; set-aside names of the form
// "~tvexundo\<digits>\<digits>", each once). False, with problem naming the first fault, when
// any check fails; journal is then untouched.
bool ParseUndoJournal(std::string_view text, UndoJournal& journal, std::string& problem);

// Why rel cannot be a path of a journal (the path rules above), or empty when it can.
std::string JournalPathProblem(std::string_view rel);

// The set-aside name of the n-th replaced file: "~tvexundo\<bucket>\<n>", a bucket for every
// kSetAsideBucket files, since a folder of thousands makes each new name cost a search of it on
// some systems (Wine looks names up without regard to case by reading the folder).
std::string SetAsideName(std::size_t n);
inline constexpr std::size_t kSetAsideBucket = 64;
// The bucket folder of the n-th replaced file ("~tvexundo\<bucket>").
std::string SetAsideBucket(std::size_t n);
