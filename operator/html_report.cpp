// The closing report as HTML: the period, the boards and plays, prizes given
// against prizes dealt, the winners, the result of verify and the chain's
// head hash, and room for signatures.
#include "operator/html_report.h"

#include "operator/text_format.h"
#include "operator/winners.h"

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
.signatures { display: flex; gap: 12mm; margin-top: 10mm; break-inside: avoid; }
.signatures div { flex: 1; border-top: 1px solid #111; padding-top: 1.5mm; margin-top: 18mm; font-size: 9.5pt; }
@media print { body { padding: 0; max-width: none; } th { -webkit-print-color-adjust: exact; print-color-adjust: exact; } }
)";

static std::string row(const std::string &label, const std::string &value)
{
    return "<tr><th>" + html_escaped(label) + "</th><td>" + value + "</td></tr>\n";
}

static std::string prizes_table(const FolderView &view)
{
    std::string html =
        "<table><thead><tr><th>Premio</th><th>Messi in palio</th><th>Assegnati</th></tr></thead><tbody>\n";
    for (PrizeType t = 0; t < EMPTY_SQUARE; t++)
        html += "<tr><td>" + html_escaped(prize_names[t]) + "</td><td class=\"n\">" +
                std::to_string(prize_counts[t] * view.replay.boards) + "</td><td class=\"n\">" +
                std::to_string(view.given[t]) + "</td></tr>\n";
    return html + "</tbody></table>\n";
}

static std::string winners_table(const std::vector<Play> &plays)
{
    std::vector<int> order = winners_by_prize(plays);
    if (order.empty())
        return "<p>Nessun premio assegnato.</p>\n";
    std::string html = "<table><thead><tr><th>N.</th><th>Data e ora</th><th>Primo campo</th><th>Secondo campo</th>"
                       "<th>Terzo campo</th><th>Premio</th></tr></thead><tbody>\n";
    int number = 0;
    for (int index : order) {
        const Play &play = plays[index];
        html += "<tr><td class=\"n\">" + std::to_string(++number) + "</td><td class=\"t\">" +
                (play.time.empty() ? "non registrata" : html_escaped(italian_time(play.time))) + "</td>";
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

std::string closing_report_html(const FolderView &view, const std::vector<Play> &winners, const std::string &made)
{
    const std::string &first = view.first_time, &last = view.last_time;

    std::string html = "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>Tabellone: relazione di chiusura</title>\n<style>" +
                       std::string(style) + "</style>\n</head>\n<body>\n";
    html += "<h1>Tabellone: relazione di chiusura</h1>\n<p class=\"sub\">Cartella del gioco: " +
            html_escaped(view.records.folder) + "<br>Relazione scritta il " + html_escaped(italian_time(made)) +
            "</p>\n";
    html += "<h2>Riepilogo</h2>\n<table class=\"facts\">\n";
    html += row("Periodo",
                first.empty() ? "nessuna giocata registrata"
                              : "dal " + html_escaped(italian_time(first)) + " al " + html_escaped(italian_time(last)));
    html += row("Tabelloni distribuiti", std::to_string(view.replay.boards));
    html += row("Giocate", std::to_string(view.plays));
    html += row("Premi assegnati", std::to_string(view.winners));
    html += "</table>\n";
    html += "<h2>Premi assegnati e messi in palio</h2>\n" + prizes_table(view);
    html += "<h2>Vincitori</h2>\n" + winners_table(winners);
    html += "<h2>Verifica dei registri</h2>\n" + verify_section(view);
    html += "<h2>Firme</h2>\n<div class=\"signatures\"><div>Luogo e data</div><div>Il promotore</div>"
            "<div>Il funzionario incaricato</div></div>\n";
    return html + "</body>\n</html>\n";
}
