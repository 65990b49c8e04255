// The closing report as HTML: the period, the boards and plays, prizes given
// against prizes dealt, the winners, the result of verify and the chain's
// head hash, and room for signatures.
#include "operator/html_report.h"

#include "operator/event.h"
#include "operator/text_format.h"
#include "operator/winners.h"
#include "shell/form_labels.h"

std::string html_escaped(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

static const char style[] = R"(
@page { size: A4; margin: 18mm 16mm 20mm 16mm;
  @bottom-center { content: "Pagina " counter(page) " di " counter(pages); font: 9pt sans-serif; color: #555; } }
* { box-sizing: border-box; }
body { font: 10.5pt/1.4 "DejaVu Sans", Arial, sans-serif; color: #111; margin: 0 auto; max-width: 190mm; padding: 8mm; }
h1 { font-size: 17pt; margin: 0 0 2mm; }
h3 { font-size: 11pt; margin: 5mm 0 1mm; break-after: avoid; }
h2 { font-size: 12.5pt; margin: 7mm 0 2mm; border-bottom: 1px solid #888; padding-bottom: 1mm; break-after: avoid; }
p.sub { margin: 0 0 4mm; color: #444; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #999; padding: 1.2mm 2mm; text-align: left; vertical-align: top; }
th { background: #e8e8e8; }
td.n { text-align: right; white-space: nowrap; }
td.t { white-space: nowrap; }
tr { break-inside: avoid; }
table.facts th { width: 45%; background: #f3f3f3; }
.ok { color: #0a5d0a; font-weight: bold; }
.bad { color: #a00000; font-weight: bold; }
.hash { font: 9.5pt "DejaVu Sans Mono", monospace; letter-spacing: 0.5pt; padding: 2mm; border: 1px solid #999; display: inline-block; }
.keep { break-inside: avoid; }
.signatures { display: flex; gap: 12mm; margin-top: 10mm; break-inside: avoid; }
.signatures div { flex: 1; border-top: 1px solid #111; padding-top: 1.5mm; margin-top: 18mm; font-size: 9.5pt; }
@media print { body { padding: 0; max-width: none; } th { -webkit-print-color-adjust: exact; print-color-adjust: exact; } }
)";

static std::string row(const std::string &label, const std::string &value)
{
    return "<tr><th>" + html_escaped(label) + "</th><td>" + value + "</td></tr>\n";
}

// Prizes dealt and given, by prize, summed over the views.
static std::string prizes_table(const std::vector<const FolderView *> &views)
{
    std::string html =
        "<table><thead><tr><th>Premio</th><th>Messi in palio</th><th>Assegnati</th></tr></thead><tbody>\n";
    for (PrizeType t = 0; t < EMPTY_SQUARE; t++) {
        int dealt = 0, given = 0;
        for (const FolderView *view : views) {
            dealt += prize_counts[t] * view->replay.boards;
            given += view->given[t];
        }
        html += "<tr><td>" + html_escaped(prize_names[t]) + "</td><td class=\"n\">" + std::to_string(dealt) +
                "</td><td class=\"n\">" + std::to_string(given) + "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

// One winner in the list, with its kiosk's name when the report covers several.
struct WinnerRow {
    const Play *play;
    const std::string *kiosk;
};

static std::string winners_table(const std::vector<WinnerRow> &rows, bool with_kiosk)
{
    if (rows.empty())
        return "<p>Nessun premio assegnato.</p>\n";
    std::string html = std::string("<table><thead><tr><th>N.</th>") + (with_kiosk ? "<th>Chiosco</th>" : "") +
                       "<th>Data e ora</th>";
    for (const char *label : form_field_labels)
        html += "<th>" + html_escaped(label) + "</th>";
    html += "<th>Premio</th></tr></thead><tbody>\n";
    int number = 0;
    for (const WinnerRow &row : rows) {
        const Play &play = *row.play;
        html += "<tr><td class=\"n\">" + std::to_string(++number) + "</td>";
        if (with_kiosk)
            html += "<td>" + html_escaped(*row.kiosk) + "</td>";
        html += "<td class=\"t\">" + (play.time.empty() ? "non registrata" : html_escaped(italian_time(play.time))) +
                "</td>";
        for (const std::string &field : play.fields)
            html += "<td>" + html_escaped(field) + "</td>";
        html += "<td>" + html_escaped(prize_names[play.prize]) + "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

static std::string verify_section(const FolderView &view)
{
    std::vector<std::string> findings = audit_findings(view.audit);
    std::string html =
        findings.empty() ? "<p class=\"ok\">Tutto concorda: la catena del registro è integra, ogni riga di players.txt "
                           "ha la sua voce nel registro e viceversa, e state.dat è il tabellone che il registro "
                           "ricostruisce.</p>\n"
                         : "<p class=\"bad\">I registri NON concordano (" + std::to_string(findings.size()) +
                               (findings.size() == 1 ? " problema" : " problemi") + "):</p>\n<ul>\n";
    for (const std::string &finding : findings)
        html += "<li>" + html_escaped(finding) + "</li>\n";
    if (!findings.empty())
        html += "</ul>\n";
    html += "<p>Hash in testa alla catena del registro (SHA-256, " + std::to_string(view.audit.journal_lines) +
            " righe):</p>\n<p class=\"hash\">" + html_escaped(grouped_hash(view.audit.head_hash)) + "</p>\n";
    return html;
}

static std::string period(const std::string &first, const std::string &last)
{
    return first.empty() ? "nessuna giocata registrata"
                         : "dal " + html_escaped(italian_time(first)) + " al " + html_escaped(italian_time(last));
}

static std::string head(const std::string &title)
{
    return "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + html_escaped(title) +
           "</title>\n<style>" + std::string(style) + "</style>\n</head>\n<body>\n<h1>" + html_escaped(title) +
           "</h1>\n";
}

static const char signatures[] = "<h2>Firme</h2>\n<div class=\"signatures\"><div>Luogo e data</div><div>Il promotore</div>"
                                 "<div>Il funzionario incaricato</div></div>\n</body>\n</html>\n";

std::string closing_report_html(const FolderView &view, const std::vector<Play> &winners, const std::string &made)
{
    std::string html = head("Tabellone: relazione di chiusura");
    html += "<p class=\"sub\">Cartella del gioco: " + html_escaped(view.records.folder) + "<br>Relazione scritta il " +
            html_escaped(italian_time(made)) + "</p>\n";
    html += "<h2>Riepilogo</h2>\n<table class=\"facts\">\n";
    html += row("Periodo", period(view.first_time, view.last_time));
    html += row("Tabelloni distribuiti", std::to_string(view.replay.boards));
    html += row("Giocate", std::to_string(view.plays));
    html += row("Premi assegnati", std::to_string(view.winners));
    html += "</table>\n";
    html += "<h2>Premi assegnati e messi in palio</h2>\n" + prizes_table({&view});
    std::vector<WinnerRow> rows;
    for (int index : winners_by_prize(winners))
        rows.push_back({&winners[index], nullptr});
    html += "<h2>Vincitori</h2>\n" + winners_table(rows, false);
    html += "<h2>Verifica dei registri</h2>\n" + verify_section(view);
    return html + signatures;
}

std::string event_report_html(const std::vector<Kiosk> &kiosks, const std::string &made)
{
    std::string html = head("Tabellone: relazione di chiusura dell'evento");
    html += "<p class=\"sub\">" + std::to_string(kiosks.size()) + " chioschi<br>Relazione scritta il " +
            html_escaped(italian_time(made)) + "</p>\n";
    std::string first, last;
    int boards = 0, plays = 0, winners = 0;
    std::vector<const FolderView *> views;
    std::string table = "<table><thead><tr><th>Chiosco</th><th>Periodo</th><th>Tabelloni</th><th>Giocate</th>"
                        "<th>Premi messi in palio</th><th>Premi assegnati</th><th>Registri</th></tr></thead><tbody>\n";
    for (const Kiosk &kiosk : kiosks) {
        const FolderView &view = kiosk.view;
        views.push_back(&view);
        // Local times of one event: read as text, the earliest sorts first.
        if (!view.first_time.empty() && (first.empty() || view.first_time < first))
            first = view.first_time;
        if (!view.last_time.empty() && (last.empty() || view.last_time > last))
            last = view.last_time;
        int dealt = 0;
        for (PrizeType t = 0; t < EMPTY_SQUARE; t++)
            dealt += prize_counts[t] * view.replay.boards;
        boards += view.replay.boards;
        plays += view.plays;
        winners += view.winners;
        bool passed = audit_passed(view.audit);
        table += "<tr><td>" + html_escaped(kiosk.name) + "</td><td>" + period(view.first_time, view.last_time) +
                 "</td><td class=\"n\">" + std::to_string(view.replay.boards) + "</td><td class=\"n\">" +
                 std::to_string(view.plays) + "</td><td class=\"n\">" + std::to_string(dealt) +
                 "</td><td class=\"n\">" + std::to_string(view.winners) + "</td><td class=\"" +
                 (passed ? "ok\">concordano" : "bad\">NON concordano") + "</td></tr>\n";
    }
    table += "</tbody></table>\n";
    std::string disagreeing = disagreeing_kiosks(kiosks);
    html += "<h2>Riepilogo dell'evento</h2>\n<table class=\"facts\">\n";
    html += row("Periodo", period(first, last));
    html += row("Chioschi", std::to_string(kiosks.size()));
    html += row("Tabelloni distribuiti", std::to_string(boards));
    html += row("Giocate", std::to_string(plays));
    html += row("Premi assegnati", std::to_string(winners));
    html += row("Registri", disagreeing.empty() ? "<span class=\"ok\">concordano in ogni chiosco</span>"
                                                : "<span class=\"bad\">NON concordano: " + html_escaped(disagreeing) +
                                                      "</span>");
    html += "</table>\n<h2>Chioschi</h2>\n" + table;
    html += "<h2>Premi assegnati e messi in palio</h2>\n" + prizes_table(views);
    std::vector<WinnerRow> rows;
    for (const auto &[k, w] : event_winners_by_prize(kiosks))
        rows.push_back({&kiosks[k].winners[w], &kiosks[k].name});
    html += "<h2>Vincitori</h2>\n" + winners_table(rows, true);
    html += "<h2>Verifica dei registri</h2>\n";
    for (const Kiosk &kiosk : kiosks)
        html += "<div class=\"keep\"><h3>Chiosco " + html_escaped(kiosk.name) + "</h3>\n<p>Cartella: " +
                html_escaped(kiosk.folder) + "</p>\n" + verify_section(kiosk.view) + "</div>\n";
    return html + signatures;
}
