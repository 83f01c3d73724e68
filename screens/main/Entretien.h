#pragma once

class Moniteur;

// The upkeep of the catalogue file, run from the main window's Option menu: compaction, repair
// and putting back a backup copy. Each one closes the catalogue, shows the closing notice while it
// works and ends the program, whatever happened: the screens cannot go on over a file that was
// closed and replaced under them.
namespace Entretien {
void compacter(Moniteur& moniteur);
// Repairs, then compacts what was salvaged.
void reparer(Moniteur& moniteur);
// Asks for the copy first; nothing happens when none is chosen.
void restaurerCopie(Moniteur& moniteur);
} // namespace Entretien
