// A RecordSource over one record buffer of a table: what expressions (index
// keys, FOR clauses, queries) read. Memo fields read the text assigned but not
// yet written when there is one, else the memo file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "xbase/dbf_table.h"
#include "xbase/expr.h"
#include "xbase/fpt_memo.h"

namespace xbase {

class RecordView final : public RecordSource {
  public:
    // table and memo (may be null) must outlive the view or be bound anew.
    void bind(const DbfTable* table, FptFile* memo) {
        table_ = table;
        memo_ = memo;
    }
    // Shows record bytes of record recno; pendingMemos (may be null) holds the
    // memo texts assigned to this buffer, one slot per field.
    void show(const char* record, long recno,
              const std::vector<std::optional<std::string>>* pendingMemos) {
        record_ = record;
        recno_ = recno;
        pending_ = pendingMemos;
    }

    int fieldCount() const override;
    const FieldDesc& field(int index) const override;
    int findField(std::string_view name) const override;
    std::string_view fieldBytes(int index) const override;
    std::string memoText(int index) const override;
    long recNo() const override { return recno_; }
    bool deleted() const override { return record_ && record_[0] == '*'; }

  private:
    const DbfTable* table_ = nullptr;
    FptFile* memo_ = nullptr;
    const char* record_ = nullptr;
    long recno_ = 0;
    const std::vector<std::optional<std::string>>* pending_ = nullptr;
};

}  // namespace xbase
