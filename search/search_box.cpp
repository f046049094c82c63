// Enter and double-click in the search box.
#include "search/search_box.h"

#include "app/settings.h"
#include "search/do_search.h"

namespace search {

void txtSearch_Enter(app::Program& program) {
    if (!app::trim_blanks(program.frmMain.txtSearch.text).empty()) do_search(program);
}

void txtSearch_DblClick(app::Program& program) {
    ui::FrmMain& form = program.frmMain;
    if (app::trim_blanks(form.txtSearch.text).empty()) form.txtSearch.text = form.lastSearchString;
}

}  // namespace search
