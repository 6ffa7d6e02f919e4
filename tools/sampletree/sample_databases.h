// Writers of the sample tree's eight component databases (invented content), used by the
// sampletree tool. Each writes its files into cmpDir (root\lib\cmp, which exists already) and
// returns false when a file cannot be written.
#pragma once

#include <string>

// standard.bjt, standard.mos, standard.jft, standard.dio
bool WriteSampleModelDatabases(const std::string& cmpDir);
// standard.cap, standard.res, standard.ind, standard.bead
bool WriteSampleRecordDatabases(const std::string& cmpDir);
