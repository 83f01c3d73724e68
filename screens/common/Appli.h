#pragma once

#include <QString>

// What the program needs of its surroundings: its folder, the pointer, the event pump, its end.
namespace Appli {

// The application folder: the executable's folder, without trailing separator.
QString dossier();
// Tests point the program at a temporary folder; not a user setting.
void setDossier(const QString& dossier);

// The hourglass pointer, until defaut() (the screens switch it explicitly, as their steps say).
void sablier();
void defaut();
// The hourglass for one scope. Scopes nest: the pointer comes back when the outermost one ends,
// not when a command called from inside another finishes its own part.
class Sablier {
public:
    Sablier();
    ~Sablier();
    Sablier(const Sablier&) = delete;
    Sablier& operator=(const Sablier&) = delete;
};

// Lets pending window events run in the middle of a long loop: repaints and timers, never the
// user's keys and clicks, which wait until the command is over (acting on a screen the command
// is still changing would act on the wrong row).
void DoEvents();
// Ends the program at once: every window closes without its closing handling.
void Fin();
bool finDemandee(); // tests read it: there is no event loop to end there

} // namespace Appli
