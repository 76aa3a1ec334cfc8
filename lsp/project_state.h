// The workspace's project file as the server follows it: the editor's text
// while the file is open, else the disk's. While the file has faults, the
// last good reading stays in force.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "complaint.h"
#include "positions.h"
#include "project_file.h"

// What a reading changed.
struct TProjectChange {
    bool Rules = false;   // the reading in force
    bool Faults = false;  // the faults, or the complaint
};

class TProjectState {
public:
    // Follows the file at `path`, which need not exist; `named` when a
    // setting names it, so that its absence is worth a complaint.
    void SetPath(std::string path, bool named);
    const std::string& Path() const { return Path_; }
    bool IsOpen() const { return Text_.has_value(); }

    // Each reads the file again.
    TProjectChange Reload();
    TProjectChange Open(std::string utf8);
    // Edits in order, each at a range in the client's units; nullopt: the whole text.
    TProjectChange Edit(const std::vector<std::pair<std::optional<TRange>, std::string>>& edits, TUnits units);
    TProjectChange Close();

    // What the last reading found: the file's rules, or those it kept.
    const TProjectFile& InForce() const { return InForce_; }
    const std::vector<TProjectFault>& Faults() const { return Faults_; }
    // The file could not be read, or a setting names one that is not there.
    const TMaybeComplaint& Complaint() const { return Complaint_; }
    // A fault's place in the client's units, over the name or key it is about
    // when the file has it there.
    TRange RangeOf(const TProjectFault& fault, TUnits units) const;

private:
    TProjectChange Read();

    std::string Path_;
    bool Named_ = false;
    std::optional<std::string> Text_;  // the editor's, while open
    std::string Bytes_;                // of the last reading
    TProjectFile InForce_;
    std::vector<TProjectFault> Faults_;
    TMaybeComplaint Complaint_;
};
