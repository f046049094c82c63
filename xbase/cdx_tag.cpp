// CdxTag: a tag's description and its single-entry and whole-tree changes.
#include "xbase/cdx_bulk_load.h"
#include "xbase/cdx_tag_impl.h"
#include "xbase/return_codes.h"

namespace xbase {

CdxTag::~CdxTag() = default;

const std::string& CdxTag::name() const {
    return impl_->name;
}
const std::string& CdxTag::keyExpr() const {
    return impl_->keyExpr;
}
const std::string& CdxTag::forExpr() const {
    return impl_->forExpr;
}
int CdxTag::keyLength() const {
    return impl_->tree.keyLength();
}
bool CdxTag::unique() const {
    return impl_->unique;
}
bool CdxTag::descending() const {
    return impl_->descending;
}
char CdxTag::filler() const {
    return impl_->tree.filler();
}
std::uint64_t CdxTag::changeCount() const {
    return impl_->changeCount;
}

void CdxTag::setFiller(char filler) {
    if (filler == impl_->tree.filler()) return;
    impl_->tree.setFiller(filler);
    ++impl_->changeCount;  // keys decode differently now: cursors look again
}

short CdxTag::insert(std::string_view key, std::uint32_t recno) {
    if (!impl_->file.writable) return rc::kWrite;
    if (key.size() != static_cast<std::size_t>(keyLength())) return rc::kParameter;
    cdx::Tree::Outcome outcome = cdx::Tree::Outcome::Unchanged;
    short error = impl_->tree.insert(reinterpret_cast<const unsigned char*>(key.data()), recno,
                                     impl_->unique, outcome);
    if (error == rc::kSuccess && outcome != cdx::Tree::Outcome::Changed) {
        impl_->file.afterRead();
        return outcome == cdx::Tree::Outcome::KeyTaken ? rc::kUnique : rc::kSuccess;
    }
    ++impl_->changeCount;
    short after = impl_->file.afterChange();
    return error ? error : after;
}

short CdxTag::remove(std::string_view key, std::uint32_t recno) {
    if (!impl_->file.writable) return rc::kWrite;
    if (key.size() != static_cast<std::size_t>(keyLength())) return rc::kParameter;
    cdx::Tree::Outcome outcome = cdx::Tree::Outcome::Unchanged;
    short error =
        impl_->tree.remove(reinterpret_cast<const unsigned char*>(key.data()), recno, outcome);
    if (error == rc::kSuccess && outcome != cdx::Tree::Outcome::Changed) {
        impl_->file.afterRead();
        return rc::kSuccess;
    }
    ++impl_->changeCount;
    short after = impl_->file.afterChange();
    return error ? error : after;
}

short CdxTag::rebuild(std::vector<std::pair<std::string, std::uint32_t>> entries) {
    cdx::FileState& file = impl_->file;
    if (!file.writable) return rc::kWrite;
    for (const auto& entry : entries) {
        if (entry.first.size() != static_cast<std::size_t>(keyLength())) return rc::kParameter;
    }
    cdx::sortEntries(entries, impl_->unique);
    // The old pages go back on the free chain only when the file is trusted
    // and the old tree walks cleanly; a damaged tree's pages are left alone.
    if (file.freeList.reuses()) {
        std::vector<std::uint32_t> pages;
        if (impl_->tree.collectPages(pages) == rc::kSuccess) {
            for (std::uint32_t page : pages)
                file.freeList.release(page);
        }
    }
    ++impl_->changeCount;
    short error = cdx::bulkLoad(impl_->tree, entries, [&file] { return file.afterChange(); });
    short after = file.afterChange();
    return error ? error : after;
}

}  // namespace xbase
