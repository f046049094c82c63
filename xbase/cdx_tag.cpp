// CdxTag: a tag's description and its single-entry and whole-tree changes.
#include "xbase/cdx_bulk_load.h"
#include "xbase/cdx_tag_impl.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

// Puts the old tree's pages on the free chain and loads the new one.
short replaceTree(cdx::Tree& tree, cdx::FileState& file, cdx::RebuildSort& sorted) {
    // The old pages go back on the free chain only when the file is trusted
    // and the old tree walks cleanly; a damaged tree's pages are left alone.
    // Each release dirties a page: write them out as the loader does.
    if (file.freeList.reuses()) {
        std::vector<std::uint32_t> pages;
        if (tree.collectPages(pages) == rc::kSuccess) {
            for (std::size_t i = 0; i < pages.size(); ++i) {
                file.freeList.release(pages[i]);
                if ((i + 1) % cdx::kCheckpointPages == 0) {
                    if (short e = file.afterChange()) return e;
                }
            }
        }
    }
    short error = cdx::bulkLoad(tree, sorted, [&file] { return file.afterChange(); });
    short after = file.afterChange();
    return error ? error : after;
}

}  // namespace

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
void CdxTag::adopt(std::unique_ptr<Impl> impl) {
    impl_ = std::move(impl);
    changes_ = &impl_->changeCount;
}

void CdxTag::setFiller(char filler) {
    if (filler == impl_->tree.filler()) return;
    impl_->tree.setFiller(filler);
    ++impl_->changeCount;  // keys decode differently now: cursors look again
}

bool CdxTag::edgeKeys(std::string& first, std::string& last) {
    Impl::Edges& e = impl_->edges;
    if (!e.read || e.change != impl_->changeCount) {
        CdxCursor cursor(*this);
        e.found = cursor.first();
        if (e.found) e.first.assign(cursor.key());
        e.found = e.found && cursor.last();
        if (e.found) e.last.assign(cursor.key());
        // A page that could not be read is tried again next time.
        e.read = cursor.error() == rc::kSuccess;
        e.change = impl_->changeCount;
    }
    first = e.first;
    last = e.last;
    return e.found;
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

short CdxTag::rebuild(const std::function<short(const EntrySink&)>& feed, std::size_t sortBudget) {
    cdx::FileState& file = impl_->file;
    if (!file.writable) return rc::kWrite;
    const auto length = static_cast<std::size_t>(keyLength());
    cdx::RebuildSort sorted(keyLength(), impl_->unique, file.file->path() + ".sort", sortBudget);
    short error = feed([&](std::string_view key, std::uint32_t recno) {
        if (key.size() != length) return rc::kParameter;
        return sorted.add(reinterpret_cast<const unsigned char*>(key.data()), recno);
    });
    if (error == rc::kSuccess) error = sorted.finish();
    if (error == rc::kSuccess) {
        ++impl_->changeCount;
        error = replaceTree(impl_->tree, file, sorted);
    }
    if (error != rc::kSuccess) {
        // The tag no longer describes what its table holds (a half-built
        // tree, or the old one after the table changed). The file is marked
        // mid-flush, so the next open rebuilds it, and takes no more writes
        // from this handle, so no later flush can mark it clean. Should the
        // marker not get written, the file still holds what it held before
        // the rebuild began, apart from pages written behind a dirty marker.
        file.writeMarker(cdx::kMarkerDirty, file.markerCount, false);
        file.writable = false;
    }
    return error;
}

}  // namespace xbase
