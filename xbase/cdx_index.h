// A CDX compound index: one file of 512-byte pages holding a directory (the
// tag of tags) and one B+-tree per tag, with compact leaves. This layer knows
// keys only as byte strings of the tag's key length; what the keys mean
// (expressions, types, records) is the table's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xbase/file_io.h"

namespace xbase {

class CdxFile;

struct CdxTagSpec {
    std::string name;     // up to 10 characters; stored upper case
    std::string keyExpr;  // stored as written
    std::string forExpr;  // empty: no FOR clause
    int keyLength = 0;    // 1..240
    char filler = ' ';    // ' ' for character and logical keys, '\0' for numeric and date
    bool unique = false;
};

class CdxTag {
  public:
    CdxTag(const CdxTag&) = delete;
    CdxTag& operator=(const CdxTag&) = delete;
    ~CdxTag();

    const std::string& name() const;
    const std::string& keyExpr() const;
    const std::string& forExpr() const;
    int keyLength() const;
    bool unique() const;
    bool descending() const;
    // The filler is not stored in the file: the table sets it from the key
    // expression's type before reading keys of a tag it opened.
    void setFiller(char filler);
    char filler() const;

    // key is exactly keyLength() bytes. Each (key, recno) pair is unique in a tag.
    // In a unique tag that holds the key for another record, insert changes
    // nothing and returns rc::kUnique. Inserting a pair that is there, or
    // removing one that is not, changes nothing and succeeds. A read-only
    // file gives rc::kWrite, a key of the wrong length rc::kParameter.
    short insert(std::string_view key, std::uint32_t recno);
    short remove(std::string_view key, std::uint32_t recno);
    // Takes one entry of a rebuild: key is keyLength() bytes; 0, or an error
    // that the feed passes back to end the rebuild.
    using EntrySink = std::function<short(std::string_view key, std::uint32_t recno)>;
    static constexpr std::size_t kSortBudget = 16u << 20;
    // Replaces the whole tree, built bottom-up, with the entries feed passes to
    // its sink in any order. Up to sortBudget bytes of entries are sorted in
    // memory; beyond that in runs spilled to a temporary file beside the index
    // ("<index>.sort"), removed however the rebuild ends. When feed, a spill
    // or the load fails, its error is returned, the file is marked mid-flush
    // so that the next open rebuilds it, and this handle changes it no more
    // (rc::kWrite).
    short rebuild(const std::function<short(const EntrySink&)>& feed,
                  std::size_t sortBudget = kSortBudget);

    // The keys of the first and the last entry, into first and last; false
    // when the tag is empty or cannot be read. Kept until the tag changes:
    // query planning asks for them once per query.
    bool edgeKeys(std::string& first, std::string& last);

    // Bumped by every insert, remove and rebuild that changes the tag, by
    // setFiller() and when refreshIfChanged() drops pages another process
    // changed; cursors use it to notice change.
    std::uint64_t changeCount() const { return *changes_; }

  private:
    friend class CdxFile;
    friend class CdxCursor;
    CdxTag() = default;
    struct Impl;
    void adopt(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    const std::uint64_t* changes_ = nullptr;  // the change count in impl_, read without a call
};

// A position in one tag, in ascending (key, recno) order. A cursor survives
// changes to its tag: it remembers its entry and finds its place again.
class CdxCursor {
  public:
    explicit CdxCursor(CdxTag& tag);
    ~CdxCursor();
    // A cursor at the same entry of the same tag.
    CdxCursor(const CdxCursor& other);
    CdxCursor& operator=(const CdxCursor&) = delete;

    bool first();
    bool last();
    bool next();  // false (and invalid) past the last entry
    // Moves on like next() and then on through the entries that follow in
    // the same leaf, up to max in all, copying each entry it stands on: its
    // key (keyLength() bytes) to keys, its record number to recnos. The
    // cursor stands on the last one copied. The count; 0 past the last entry.
    int nextEntries(unsigned char* keys, std::uint32_t* recnos, int max);
    bool prev();  // false (and invalid) before the first entry
    // First entry whose first prefix.size() bytes are >= prefix; false at end.
    bool seekGE(std::string_view prefix);
    // seekGE for a walk that only moves on: the same entry when that lies at
    // or after the current one, found without a descent from the root when
    // it is in the current leaf.
    bool skipTo(std::string_view prefix);
    // The first entry whose key differs from the current one's (the entries
    // with one key lie together); false at the end.
    bool nextKey();
    // The entry (key, recno), or the first one after it; false at end.
    bool seekEntry(std::string_view key, std::uint32_t recno);
    bool valid() const;
    std::string_view key() const;
    std::uint32_t recNo() const;
    // rc::kIndex (or rc::kRead) when the last move stopped at a damaged or
    // unreadable page rather than at the end; 0 otherwise.
    short error() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class CdxFile {
  public:
    // Opens and checks an existing file; nullptr with error rc::kOpen or rc::kIndex.
    static std::unique_ptr<CdxFile> open(const std::string& path, OpenMode mode, short& error);
    // Creates an empty compound index (a directory with no tags).
    static std::unique_ptr<CdxFile> create(const std::string& path, short& error);
    ~CdxFile();
    CdxFile(const CdxFile&) = delete;
    CdxFile& operator=(const CdxFile&) = delete;

    std::vector<CdxTag*> tags();
    CdxTag* tag(std::string_view name);  // name compared without regard to case
    CdxTag* addTag(const CdxTagSpec& spec, short& error);

    // Writes every changed page, in an order that leaves a marker a reader can
    // trust: the file header is first marked dirty, then the pages are written,
    // then the header is marked clean with tableRecordCount, the record count of
    // the table this index belongs to at the moment of the flush. With sync
    // true each of the three steps is made durable before the next.
    short flush(std::uint32_t tableRecordCount, bool sync);
    // What the last flush left: true when the file carries our marker, clean
    // (not mid-flush) and names recordCount. Foreign files carry no marker.
    bool cleanState(std::uint32_t& recordCount) const;
    bool hasMarker() const;

    // For two processes on one file: the exclusive index lock, and a re-read
    // of the change counter that drops cached pages another process changed.
    short lockForWrite();
    void unlockWrite();
    void refreshIfChanged();

    // Pages read from the file since open (benchmarks report it).
    std::uint64_t pagesRead() const;
    File& file();

  private:
    CdxFile() = default;
    // Another process changed the file (its change counter moved to counter):
    // drops the pages cached from before and finds the roots again.
    void adoptChanges(std::uint32_t counter, bool markerClean);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace xbase
