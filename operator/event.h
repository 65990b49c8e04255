// An event of several kiosks: each kiosk's folder (a copy brought on a USB
// stick, or kept in step by a synchronisation tool) read in turn, from inside
// it, with the one replay; what verifica, vincitori, esporta and relazione
// share when they are given more than one folder.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "operator/audit.h"
#include "operator/commands.h"

struct Kiosk {
    std::string name;    // the folder's own name, or the one --chiosco gave
    std::string folder;  // absolute
    FolderView view;     // players.txt's bytes dropped once read
    std::vector<Play> winners;
};

typedef std::function<void(const Kiosk &, const Play &)> KioskPlaySink;

// The kiosks' names: --chiosco in order, else each folder's name; a name met
// twice gets its place in the list after it.
std::vector<std::string> kiosk_names(const Arguments &arguments);

// Reads every kiosk's folder from inside it, going back to arguments.folder
// after each, keeping its winners and handing each play to `sink`. False, with
// the trouble told and the exit status in *status, when a folder cannot be read.
bool view_kiosks(const Arguments &arguments, std::vector<Kiosk> *kiosks, Console console, int *status,
                 const KioskPlaySink &sink = KioskPlaySink());

// Every kiosk's winners grouped by prize, each group in the kiosks' order and
// the players' order: (kiosk, winner) pairs.
std::vector<std::pair<int, int>> event_winners_by_prize(const std::vector<Kiosk> &kiosks);

// The kiosks whose records do not agree, by name, joined with ", ".
std::string disagreeing_kiosks(const std::vector<Kiosk> &kiosks);

// The event's commands, which the single-folder commands hand over to.
int event_verify(const Arguments &arguments, Console console);
int event_winners(const Arguments &arguments, Console console);
