// vellumark-cli: the command-line companion of Vellumark. Its commands run
// the program's own routines over the same tables as the window: add (Create
// Index), search, show, delete, undelete, list, pack, and the integrity
// check and rebuild of the store.
#include <CLI/CLI.hpp>

#include <clocale>
#include <cstdint>

#include "cli/commands.h"
#include "cli/exit_status.h"

namespace {

struct NumberCommand {
    std::int32_t number = 0;
};

CLI::App* add_number_command(CLI::App& app, const char* name, const char* description,
                             NumberCommand& command) {
    CLI::App* sub = app.add_subcommand(name, description);
    sub->add_option("N", command.number, "the document number")
        ->required()
        ->check(CLI::Range(1, INT32_MAX));
    return sub;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    CLI::App app{
        "Vellumark's command-line companion: the store of the desktop program, from a "
        "shell.",
        "vellumark-cli"};
    app.footer(cli::kExitStatusHelp);
    app.require_subcommand(1);
    app.fallthrough();

    cli::CommonOptions common;
    common.argv0 = argc > 0 ? argv[0] : "vellumark-cli";
    app.add_option(
        "--folder", common.folder,
        "the folder of the tables and settings (default: as the desktop program chooses)");

    cli::AddOptions add;
    CLI::App* addCommand =
        app.add_subcommand("add", "store each text file as a document, as Create Index does");
    addCommand->add_option("PATH", add.paths, "text files, or folders of them")->required();
    addCommand->add_option("--drawer", add.drawer, "the drawer of the new documents");
    addCommand->add_flag("--recursive,-r", add.recursive, "take the files of subfolders too");

    cli::SearchOptions search;
    CLI::App* searchCommand =
        app.add_subcommand("search", "run a search and list its hits: number, date, summary");
    searchCommand->add_option("STRING", search.text, "the search string")->required();
    searchCommand->add_option("--drawer", search.drawer, "search this drawer only");
    searchCommand->add_flag("--header-only", search.headerOnly, "search the header words only");
    searchCommand->add_flag("--tolerance", search.tolerance,
                            "High Tolerance: one keyword may miss");
    searchCommand->add_option("--header-size", search.headerSize, "header words for --header-only")
        ->check(CLI::Range(2, 32767));
    searchCommand->add_flag("--json", search.json, "print one JSON object");

    NumberCommand show, remove, restore;
    CLI::App* showCommand = add_number_command(app, "show", "print the text of document N", show);
    CLI::App* deleteCommand =
        add_number_command(app, "delete", "mark document N as provisionally deleted", remove);
    CLI::App* undeleteCommand =
        add_number_command(app, "undelete", "remove the deletion mark of document N", restore);

    bool listJson = false;
    CLI::App* listCommand =
        app.add_subcommand("list", "list every document: number, deletion mark, date, summary");
    listCommand->add_flag("--json", listJson, "print one JSON object");

    CLI::App* packCommand =
        app.add_subcommand("pack", "remove the documents marked as deleted for good (asks first)");
    packCommand->add_flag("--yes,-y", common.assumeYes, "answer the question with yes");

    CLI::App* checkCommand = app.add_subcommand(
        "check", "verify both tables, their memo file and indexes, and the keyword records");
    CLI::App* reindexCommand =
        app.add_subcommand("reindex", "rebuild every index tag of both tables");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? cli::kDone : cli::kUsage;
    }

    if (addCommand->parsed()) return cli::run_add(common, add);
    if (searchCommand->parsed()) return cli::run_search(common, search);
    if (showCommand->parsed()) return cli::run_show(common, show.number);
    if (deleteCommand->parsed()) return cli::run_delete(common, remove.number, false);
    if (undeleteCommand->parsed()) return cli::run_delete(common, restore.number, true);
    if (listCommand->parsed()) return cli::run_list(common, listJson);
    if (packCommand->parsed()) return cli::run_pack(common);
    if (checkCommand->parsed()) return cli::run_check(common);
    if (reindexCommand->parsed()) return cli::run_reindex(common);
    return cli::kUsage;
}
