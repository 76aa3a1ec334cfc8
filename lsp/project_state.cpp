#include "project_state.h"

#include <algorithm>
#include <utility>

#include "fs.h"
#include "syntax.h"
#include "text_file.h"

namespace {

bool SameFaults(const std::vector<TProjectFault>& a, const std::vector<TProjectFault>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TProjectFault& x, const TProjectFault& y) {
        return x.Line == y.Line && x.Column == y.Column && x.Text == y.Text && x.Subject == y.Subject;
    });
}

bool SameUse(const TRuleUse& a, const TRuleUse& b) {
    return a.Key == b.Key && a.In == b.In && a.Tokens.First == b.Tokens.First && a.Tokens.AndAfter == b.Tokens.AndAfter;
}

bool SameRule(const TRule& a, const TRule& b) {
    return a.Id == b.Id && a.Title == b.Title && a.DeclaredBy == b.DeclaredBy && a.Ignore == b.Ignore &&
           a.Names == b.Names && std::equal(a.Uses.begin(), a.Uses.end(), b.Uses.begin(), b.Uses.end(), SameUse);
}

bool SameFile(const TProjectFile& a, const TProjectFile& b) {
    return a.Image == b.Image && a.DeclaredIn == b.DeclaredIn && a.Names == b.Names && a.Unused == b.Unused &&
           a.Duplicates == b.Duplicates &&
           std::equal(a.Rules.begin(), a.Rules.end(), b.Rules.begin(), b.Rules.end(), SameRule);
}

bool SameComplaint(const TMaybeComplaint& a, const TMaybeComplaint& b) {
    return a.has_value() == b.has_value() && (!a || (a->Text == b->Text && a->Subject == b->Subject));
}

}  // namespace

void TProjectState::SetPath(std::string path, bool named) {
    Path_ = std::move(path);
    Named_ = named;
    Text_.reset();
}

TProjectChange TProjectState::Reload() {
    return Read();
}

TProjectChange TProjectState::Open(std::string utf8) {
    Text_ = std::move(utf8);
    return Read();
}

TProjectChange TProjectState::Edit(const std::vector<std::pair<std::optional<TRange>, std::string>>& edits,
                                   TUnits units) {
    if (!Text_) return {};
    for (const auto& [range, text] : edits) {
        if (!range) {
            *Text_ = text;
            continue;
        }
        const TLineMap lines(*Text_, TEncoding::Utf8, units);
        const std::size_t begin = lines.OffsetOf(range->Start);
        const std::size_t end = std::max(begin, lines.OffsetOf(range->End));
        Text_->replace(begin, end - begin, text);
    }
    return Read();
}

TProjectChange TProjectState::Close() {
    Text_.reset();
    return Read();
}

TProjectChange TProjectState::Read() {
    TMaybeComplaint complaint;
    std::vector<TProjectFault> faults;
    TProjectFile file = InForce_;
    TFileId id;
    if (Text_) {
        Bytes_ = *Text_;
        faults = ParseProjectFile(Bytes_, ProjectFolderOf(Path_), file);
    } else if (Path_.empty() || !GetFileId(Path_, id)) {
        // No file: images only, as with none at all.
        Bytes_.clear();
        file = TProjectFile{};
        if (Named_) complaint = TComplaint{utCannotRead, Path_};
    } else if (std::string bytes; (complaint = ReadTextFile(Path_, bytes))) {
        Bytes_.clear();
    } else {
        Bytes_ = std::move(bytes);
        faults = ParseProjectFile(Bytes_, ProjectFolderOf(Path_), file);
    }
    const TProjectChange changed{!SameFile(file, InForce_),
                                 !SameFaults(faults, Faults_) || !SameComplaint(complaint, Complaint_)};
    InForce_ = std::move(file);
    Faults_ = std::move(faults);
    Complaint_ = std::move(complaint);
    return changed;
}

TRange TProjectState::RangeOf(const TProjectFault& fault, TUnits units) const {
    std::size_t start = 0;
    for (uint32_t line = 1; line < fault.Line && start < Bytes_.size(); ++line) {
        const std::size_t feed = Bytes_.find(kLineFeed, start);
        start = feed == std::string::npos ? Bytes_.size() : feed + 1;
    }
    const std::size_t at = std::min(Bytes_.size(), start + fault.Column - 1);
    std::size_t end = at;
    for (const char quote : {'\0', '"', '\''}) {
        const std::string written = quote == '\0' ? fault.Subject : quote + fault.Subject + quote;
        if (!fault.Subject.empty() && Bytes_.compare(at, written.size(), written) == 0) {
            end = at + written.size();
            break;
        }
    }
    return TLineMap(Bytes_, TEncoding::Utf8, units).RangeOf(at, end);
}
