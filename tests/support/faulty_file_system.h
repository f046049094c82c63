// A fault-injecting file system for the engine's file layer: it passes every
// call to the real file system and can fail writes (a full disk) or reads, and
// it remembers each file's writes since its last sync so that a test can
// simulate a power loss: drop those writes, or tear them (keep some of their
// 512-byte sectors and lose the rest).
//
// Design note. Invariants:
//  1. For every file the engine opened or created through this object,
//     `durable` is the file's content as of its last sync (or as found when it
//     was first opened), and `pending` lists, in order, every write and
//     truncation since, up to the moment of the power cut.
//  2. After cutPower() the files keep changing as the program goes on (so it
//     sees its own writes), but nothing more is recorded: what happened after
//     the cut never reached the disk.
//  3. settleAfterPowerLoss() writes every tracked file as the disk would hold
//     it: the durable content plus the pending writes the chosen loss kept.
//     Call it only when the engine has closed its files.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "xbase/file_io.h"

namespace testsupport {

class FaultyFileSystem final : public xbase::FileSystem {
  public:
    // Wraps the file system installed now and installs itself in its place.
    FaultyFileSystem();
    // Puts the wrapped file system back.
    ~FaultyFileSystem() override;
    FaultyFileSystem(const FaultyFileSystem&) = delete;
    FaultyFileSystem& operator=(const FaultyFileSystem&) = delete;

    std::unique_ptr<xbase::File> open(const std::string& path, xbase::OpenMode mode) override;
    std::unique_ptr<xbase::File> create(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool remove(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;

    // --- Faults -----------------------------------------------------------
    // A full disk: every write and every truncation that would make a file
    // longer fails once this many more bytes have been written (-1: never).
    void setWriteBudget(long long bytes) { writeBudget_ = bytes; }
    // Every read of a file whose path contains `part` fails (empty: none).
    void failReadsOf(const std::string& part) { failReads_ = part; }
    // Every open for writing, create, rename and remove fails (a read-only
    // folder of read-only files, as root cannot make one).
    void setReadOnly(bool on) { readOnly_ = on; }

    // --- Power loss ---------------------------------------------------------
    // Writes and syncs counted so far (a test picks its cut point from them).
    long long writeCount() const { return writes_; }
    // The power goes after this many more writes (0: now; -1: never).
    void cutPowerAfter(long long writes);
    bool powerCut() const { return cut_; }

    enum class Loss { DropUnsynced, TearUnsynced };
    // Rewrites every tracked file as the disk holds it after the loss and
    // starts tracking afresh (the power is back).
    void settleAfterPowerLoss(Loss loss, std::mt19937& random);

    // Every file's state as tracked (see the design note).
    struct Op {
        bool truncate = false;
        std::uint64_t offset = 0;  // truncate: the new length
        std::string bytes;
    };
    struct Tracked {
        std::string durable;
        std::vector<Op> pending;
    };

  private:
    friend class FaultyFile;
    std::shared_ptr<Tracked> track(const std::string& path, bool fresh);
    // Called before each write; false when the write must fail.
    bool mayWrite(std::uint64_t bytes);
    void countWrite();
    void sync(const std::string& path, Tracked& tracked);

    xbase::FileSystem& real_;
    std::map<std::string, std::shared_ptr<Tracked>> files_;
    long long writeBudget_ = -1;
    std::string failReads_;
    bool readOnly_ = false;
    long long writes_ = 0;
    long long cutAt_ = -1;
    bool cut_ = false;
};

}  // namespace testsupport
