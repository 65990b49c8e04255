// The command line: which command, its options and the game's folder, the
// help texts, and the move into the folder and back.
#include "operator/commands.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <time.h>

#include <filesystem>

#include "platform/durable_file.h"
#include "platform/error_report.h"
#include "platform/folder_lock.h"
#include "platform/whole_file.h"
#include "board/journal.h"
#include "platform/local_time.h"
#include "board/players_log.h"
#include "board/state_file.h"
#include "operator/open_with_system.h"
#include "operator/utf8_console.h"

static const char program[] = "tabellone-operatore";

static const char overview[] =
    "Uso: tabellone-operatore COMANDO [OPZIONI] [CARTELLA...]\n"
    "\n"
    "Legge i registri del Tabellone nella CARTELLA del gioco (se manca, la cartella\n"
    "corrente): tabellone-registro.jsonl, players.txt e state.dat. Non li modifica\n"
    "mai, tranne i comandi cancella e chiudi, e funziona anche a gioco in corso.\n"
    "verifica, vincitori, esporta e relazione leggono anche più cartelle insieme, una\n"
    "per chiosco dello stesso evento (copiate su una chiavetta o tenute allineate).\n"
    "\n"
    "Comandi:\n"
    "  stato       il tabellone com'è ora, i premi ancora nascosti, le giocate, gli avvisi\n"
    "  vincitori   le giocate vincenti, per premio, con data e ora\n"
    "  esporta     tutte le giocate (o solo le vincenti) in un file CSV per Excel\n"
    "  verifica    controlla la catena del registro, players.txt e state.dat\n"
    "  relazione   scrive la relazione di chiusura in un file HTML da stampare\n"
    "  cancella    cancella i dati di un giocatore dalle giocate non vincenti\n"
    "  chiudi      a fine evento: relazione finale, poi cancella i dati dei non vincenti\n"
    "\n"
    "Valgono anche i nomi inglesi: status, winners, export, verify, report, erase.\n"
    "tabellone-operatore COMANDO --help spiega ogni comando.\n"
    "Uscita: 0 tutto bene, 1 i registri (di un chiosco) non concordano per verifica,\n"
    "o per ogni comando su più chioschi, o cancella e chiudi non confermati, 2 errore\n"
    "(argomenti, cartella senza i file del gioco, file illeggibile).\n";

// The English names and spellings the program took first, kept for scripts.
static const char *const option_aliases[][2] = {
    {"-o", "--uscita"},     {"--output", "--uscita"}, {"--open", "--apri"},         {"--winners", "--vincitori"},
    {"--yes", "--si"},      {"--kiosk", "--chiosco"}, {"--before", "--prima-del"},
};

static std::string italian_option(const std::string &option)
{
    for (const auto &alias : option_aliases)
        if (option == alias[0])
            return alias[1];
    return option;
}

struct CommandInfo {
    const char *name;
    const char *english;
    int (*run)(const Arguments &, Console);
    const char *options;  // the options it takes, each followed by a space
    bool takes_text;
    bool several_folders;  // one folder per kiosk
    const char *help;
};

static const CommandInfo command_table[] = {
    {"stato", "status", command_status, "", false, false,
     "Uso: tabellone-operatore stato [CARTELLA]\n"
     "\n"
     "Mostra il tabellone come lo vede il giocatore (## coperta, le altre col loro\n"
     "premio), le caselle ancora coperte, i premi ancora nascosti, le giocate su\n"
     "questo tabellone e in tutto, i tabelloni in tutto, e gli avvisi: state.dat\n"
     "mancante o rifiutato, catena del registro rotta, players.txt e registro in\n"
     "disaccordo, tabellone diverso dall'ultima distribuzione più le giocate.\n"},
    {"vincitori", "winners", command_winners, "--chiosco ", false, true,
     "Uso: tabellone-operatore vincitori [--chiosco NOME]... [CARTELLA...]\n"
     "\n"
     "Elenca le giocate vincenti raggruppate per premio e numerate, con data e ora\n"
     "dal registro (le righe di players.txt senza voce nel registro non hanno ora).\n"
     "Con più chioschi, un solo elenco per premio con il chiosco di ogni vincitore.\n"
     "\n"
     "  --chiosco NOME   il nome del chiosco della cartella corrispondente\n"},
    {"esporta", "export", command_export, "--vincitori --uscita --apri --chiosco ", false, true,
     "Uso: tabellone-operatore esporta [--vincitori] [--uscita FILE] [--apri] [CARTELLA...]\n"
     "\n"
     "Scrive le giocate in un file CSV che Excel apre col doppio clic: UTF-8 con BOM,\n"
     "separatore punto e virgola, virgolette alla RFC 4180. Colonne: numero, data e\n"
     "ora, nome, cognome, telefono, premio, nota. Le righe di\n"
     "players.txt senza voce nel registro sono divise come si può e segnate nella nota.\n"
     "Un campo che comincia con = + - @ riceve davanti un apostrofo, perché Excel non\n"
     "lo prenda per una formula.\n"
     "\n"
     "  --vincitori      solo le giocate vincenti\n"
     "  --uscita FILE    il file da scrivere (predefinito: giocate.csv, o vincitori.csv\n"
     "                   con --vincitori, nella cartella corrente); - per lo schermo\n"
     "  --apri           apre il file scritto col programma predefinito per i .csv;\n"
     "                   senza --uscita il nome porta la data: giocate-AAAA-MM-GG.csv\n"
     "  --chiosco NOME   il nome del chiosco; con più cartelle la colonna Chiosco\n"
     "                   segue il numero\n"},
    {"verifica", "verify", command_verify, "--uscita --apri --chiosco ", false, true,
     "Uso: tabellone-operatore verifica [--uscita FILE] [--apri] [CARTELLA...]\n"
     "\n"
     "Controlla ogni anello della catena SHA-256 del registro, che ogni riga di\n"
     "players.txt abbia la sua voce nel registro e viceversa, e che il tabellone\n"
     "ricostruito dalle distribuzioni e dalle giocate sia quello di state.dat.\n"
     "Stampa cosa ha trovato e l'hash in testa alla catena, da annotare su carta:\n"
     "ogni modifica successiva del registro lo cambia.\n"
     "Con più cartelle verifica ogni chiosco e riassume l'evento.\n"
     "Uscita 0 se tutto concorda, 1 altrimenti (anche in un solo chiosco).\n"
     "\n"
     "  --uscita FILE    scrive l'esito anche in un file di testo\n"
     "  --apri           apre quel file col programma predefinito per i testi; senza\n"
     "                   --uscita il nome porta la data: verifica-registri-AAAA-MM-GG.txt\n"
     "  --chiosco NOME   il nome del chiosco della cartella corrispondente\n"},
    {"relazione", "report", command_report, "--uscita --apri --chiosco ", false, true,
     "Uso: tabellone-operatore relazione [--uscita FILE] [--apri] [CARTELLA...]\n"
     "\n"
     "Scrive la relazione di chiusura in un unico file HTML (senza script né file\n"
     "accanto, con stile di stampa A4): periodo, tabelloni, giocate, premi assegnati\n"
     "per premio, elenco dei vincitori, esito della verifica e hash della catena,\n"
     "spazio per le firme. Si stampa o si salva in PDF da qualsiasi browser.\n"
     "Con più cartelle: per chiosco periodo, tabelloni, giocate, premi messi in palio\n"
     "e assegnati, verifica e hash; i totali dell'evento e un solo elenco dei\n"
     "vincitori con il loro chiosco. Un chiosco in disaccordo è segnato, mai tolto.\n"
     "\n"
     "  --uscita FILE    il file da scrivere (predefinito: relazione-chiusura.html\n"
     "                   nella cartella corrente)\n"
     "  --apri           apre il file scritto nel browser predefinito; senza --uscita\n"
     "                   il nome porta la data: relazione-chiusura-AAAA-MM-GG.html\n"
     "  --chiosco NOME   il nome del chiosco della cartella corrispondente\n"},
    {"cancella", "erase", command_erase, "--si ", true, false,
     "Uso: tabellone-operatore cancella TESTO [--si] [CARTELLA]\n"
     "\n"
     "Per la richiesta di un giocatore di cancellare i suoi dati: mostra le giocate\n"
     "in cui uno dei tre campi contiene TESTO (senza badare a maiuscole e spazi) e,\n"
     "dopo conferma, sostituisce i tre campi delle giocate non vincenti con\n"
     "[cancellato] in players.txt e nel registro. Ogni file è riscritto per intero in\n"
     "modo atomico, la catena è risigillata dalla prima riga cambiata e la\n"
     "cancellazione è registrata come evento. Le giocate vincenti restano: servono\n"
     "per il verbale di chiusura. Non parte mentre il gioco è in corso nella cartella.\n"
     "\n"
     "  --si             non chiedere conferma\n"},
    {"chiudi", "", command_close, "--si --uscita --prima-del ", false, false,
     "Uso: tabellone-operatore chiudi [--si] [--prima-del AAAA-MM-GG] [--uscita FILE] [CARTELLA]\n"
     "\n"
     "A fine evento (o allo scadere del periodo di conservazione): scrive la\n"
     "relazione di chiusura finale, poi sostituisce i tre campi di ogni giocata non\n"
     "vincente con [cancellato] in players.txt e nel registro, come cancella, in una\n"
     "sola cancellazione registrata con il suo motivo. Le giocate vincenti restano.\n"
     "Non parte mentre il gioco è in corso nella cartella, né se i registri non\n"
     "concordano (vedi verifica).\n"
     "\n"
     "  --si                   non chiedere conferma\n"
     "  --prima-del DATA       solo le giocate di prima di quel giorno (AAAA-MM-GG)\n"
     "  --uscita FILE          la relazione finale (predefinito:\n"
     "                         relazione-finale-AAAA-MM-GG.html nella cartella corrente)\n"},
};

int trouble(Console console, const std::string &message)
{
    fprintf(console.err, "%s: %s\n", program, message.c_str());
    return EXIT_TROUBLE;
}

static std::string current_folder()
{
    return current_folder_utf8();
}

static bool is_absolute(const std::string &path)
{
#ifdef _WIN32
    return (path.size() > 1 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
#else
    return !path.empty() && path[0] == '/';
#endif
}

static std::string absolute(const std::string &path)
{
    return is_absolute(path) || path == "-" ? path : current_folder() + "/" + path;
}

static std::string base_name(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether two names name the same file: Windows folds case, Linux does not.
static bool same_name(const std::string &a, const std::string &b)
{
#ifdef _WIN32
    return _stricmp(a.c_str(), b.c_str()) == 0;
#else
    return a == b;
#endif
}

bool is_game_file(const std::string &absolute_path, const std::string &game_folder)
{
    // Compared as folders, not as text: "C:\kiosk/" and "C:\kiosk" are one folder.
    std::error_code failed;
    std::filesystem::path folder = std::filesystem::path(absolute_path).parent_path();
    if (!std::filesystem::equivalent(folder.empty() ? "." : folder, game_folder, failed))
        return false;
    std::string name = base_name(absolute_path);
    for (const char *own : {journal_file_name, players_log_name, state_file_name, lock_file_name, errors_file_name})
        if (same_name(name, own) || same_name(name, std::string(own) + ".tmp"))
            return true;
    return false;
}

static const CommandInfo *find_command(const std::string &name)
{
    for (const CommandInfo &info : command_table)
        if (name == info.name || name == info.english)
            return &info;
    return nullptr;
}

static bool takes_option(const CommandInfo &info, const std::string &option)
{
    return strstr(info.options, (option + " ").c_str()) != nullptr;
}

static std::string default_output(const CommandInfo &info, const Arguments &arguments);

// A day as AAAA-MM-GG.
static bool is_day(const std::string &text)
{
    struct tm day = {};
    return text.size() == 10 && sscanf(text.c_str(), "%4d-%2d-%2d", &day.tm_year, &day.tm_mon, &day.tm_mday) == 3 &&
           text[4] == '-' && text[7] == '-' && day.tm_mon >= 1 && day.tm_mon <= 12 && day.tm_mday >= 1 &&
           day.tm_mday <= 31;
}

// Fills `arguments`; false, with the reason, for anything it does not know.
static bool parse(const CommandInfo &info, const std::vector<std::string> &args, Arguments *arguments, bool *help,
                  std::string *error)
{
    std::vector<std::string> positional;
    std::string output;
    for (size_t i = 1; i < args.size(); i++) {
        const std::string &given = args[i];
        if (given == "--help" || given == "-h" || given == "--aiuto") {
            *help = true;
            return true;
        }
        std::string arg = italian_option(given);
        if (given.size() > 1 && given[0] == '-' && !takes_option(info, arg)) {
            *error = "opzione sconosciuta per " + std::string(info.name) + ": " + given;
            return false;
        }
        if (arg == "--uscita" || arg == "--chiosco" || arg == "--prima-del") {
            if (++i == args.size() || args[i].empty()) {
                *error = given + (arg == "--uscita" ? " vuole il nome di un file" : arg == "--chiosco" ? " vuole un nome" : " vuole una data AAAA-MM-GG");
                return false;
            }
            if (arg == "--uscita")
                output = args[i];
            else if (arg == "--chiosco")
                arguments->kiosk_names.push_back(args[i]);
            else if (is_day(args[i]))
                arguments->before = args[i];
            else {
                *error = given + " vuole una data AAAA-MM-GG, non " + args[i];
                return false;
            }
        } else if (arg == "--apri") {
            arguments->open_output = true;
        } else if (arg == "--vincitori") {
            arguments->winners_only = true;
        } else if (arg == "--si") {
            arguments->confirmed = true;
        } else {
            positional.push_back(given);
        }
    }
    size_t wanted = info.takes_text ? 1 : 0;
    if (positional.size() < wanted) {
        *error = std::string(info.name) + " vuole il testo da cercare";
        return false;
    }
    if (positional.size() > wanted + 1 && !info.several_folders) {
        *error = "troppi argomenti per " + std::string(info.name) + ": " + positional.back();
        return false;
    }
    if (info.takes_text) {
        arguments->text = positional[0];
        if (arguments->text.find_first_not_of(" ") == std::string::npos) {
            *error = "il testo da cercare è vuoto";
            return false;
        }
    }
    for (size_t i = wanted; i < positional.size(); i++)
        arguments->folders.push_back(absolute(positional[i]));
    if (arguments->folders.empty())
        arguments->folders.push_back(absolute("."));
    if (arguments->kiosk_names.size() > arguments->folders.size()) {
        *error = "più nomi di chiosco (--chiosco) che cartelle";
        return false;
    }
    // Several kiosks are read each from inside its folder, the command starting from here.
    arguments->folder = several_kiosks(*arguments) ? absolute(".") : arguments->folders[0];
    bool verify = std::string(info.name) == "verifica";
    if (takes_option(info, "--uscita") && (!verify || !output.empty() || arguments->open_output))
        arguments->output = absolute(!output.empty() ? output : default_output(info, *arguments));
    if ((arguments->open_output || std::string(info.name) == "chiudi") && arguments->output == "-") {
        *error = std::string(arguments->open_output ? "--apri" : "la relazione finale") + " vuole un file, non lo schermo";
        return false;
    }
    return true;
}

// The file written when no --uscita is given. With --apri the shop keeps one
// file a day in the folder, so the name carries the date.
static std::string default_output(const CommandInfo &info, const Arguments &arguments)
{
    std::string name = info.name;
    std::string base = name == "relazione"       ? "relazione-chiusura"
                       : name == "chiudi"        ? "relazione-finale"
                       : name == "verifica"      ? "verifica-registri"
                       : arguments.winners_only ? "vincitori"
                                                 : "giocate";
    std::string extension = name == "relazione" || name == "chiudi" ? ".html" : name == "verifica" ? ".txt" : ".csv";
    // The final report of an event is kept, so a second close never writes over it.
    if (arguments.open_output || name == "chiudi")
        base += "-" + local_time_iso(time(NULL)).substr(0, 10);
    return base + extension;
}

// verify with a file: what it prints goes to the console and, with a byte
// order mark and CR LF line ends for Notepad, to the file.
static int verify_into_file(const CommandInfo &info, const Arguments &arguments, Console console)
{
    FILE *text = temporary_file();
    if (!text)
        return trouble(console, std::string("manca un file temporaneo (") + strerror(errno) + ")");
    int status = info.run(arguments, Console{console.in, text, console.err});
    std::string printed = whole_open_file(text);
    fputs(printed.c_str(), console.out);
    if (status == EXIT_TROUBLE)
        return status;
    std::string bytes = "\xEF\xBB\xBF";
    for (char c : printed)
        bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
    int written;
    return write_output(arguments, bytes, console, &written) ? status : written;
}

// Runs the command inside the game's folder, then goes back; opens what it wrote when asked.
static int run_in_folder(const CommandInfo &info, Arguments arguments, Console console)
{
    std::string before = current_folder();
    if (!change_folder_utf8(arguments.folder))
        return trouble(console, "la cartella " + arguments.folder + " non si può aprire (" + strerror(errno) + ")");
    arguments.folder = current_folder();
    int status = EXIT_TROUBLE;
    if (!arguments.output.empty() && arguments.output != "-") {
        arguments.output_file = c_library_path(arguments.output);
        if (arguments.output_file.empty())
            status = trouble(console, "il nome " + arguments.output + " non si può scrivere con le lettere di questo sistema");
    } else {
        arguments.output_file = arguments.output;
    }
    if (!arguments.output_file.empty() || arguments.output.empty())
        status = std::string(info.name) == "verifica" && !arguments.output.empty() ? verify_into_file(info, arguments, console)
                                                                                 : info.run(arguments, console);
    std::string reason;
    if (status != EXIT_TROUBLE && arguments.open_output && !open_with_system(arguments.output, &reason))
        status = trouble(console, arguments.output + " è scritto ma non si apre: " + reason);
    fflush(console.out);
    if (!change_folder_utf8(before))
        status = trouble(console, "non si torna alla cartella " + before);
    return status;
}

int run_operator(const std::vector<std::string> &args, Console console)
{
    if (args.empty()) {
        fputs(overview, console.err);
        return EXIT_TROUBLE;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        fputs(overview, console.out);
        return EXIT_AGREE;
    }
    const CommandInfo *info = find_command(args[0]);
    if (!info)
        return trouble(console, "comando sconosciuto: " + args[0] + " (tabellone-operatore --help li elenca)");
    Arguments arguments;
    arguments.command = info->name;
    bool help = false;
    std::string error;
    if (!parse(*info, args, &arguments, &help, &error))
        return trouble(console, error);
    if (help) {
        fputs(info->help, console.out);
        return EXIT_AGREE;
    }
    if (!arguments.open_output)
        return run_in_folder(*info, arguments, console);
    // From the Start menu: a failure shows in a window, the console being gone at exit.
    FILE *errors = temporary_file();
    if (!errors)
        return trouble(console, std::string("manca un file temporaneo (") + strerror(errno) + ")");
    int status = run_in_folder(*info, arguments, Console{console.in, console.out, errors});
    std::string text = whole_open_file(errors);
    fputs(text.c_str(), console.err);
    if (status == EXIT_TROUBLE)
        show_failure_window(text);
    return status;
}
