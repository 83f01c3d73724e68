#pragma once

#include <QString>

// Fault injection for the tests: makes the N-th write from now fail as a full disk or an I/O
// error would, so that every command can be shown to leave the catalogue and the posters as they
// were. Writes are the statements that change rows, the commits, and the poster copies made
// before a commit. Off unless a test arms it; counting costs one increment per write.
namespace Catalogue::Pannes {

// The n-th write from now fails (n counted from 1); 0 disarms. Restarts the count either way.
void programmer(int n);
// Writes attempted since the last programmer(), the failed one included.
int ecritures();
// Called before each write: false when this write must fail.
bool autoriser();
// The engine's reason the failed write reports.
QString message();

} // namespace Catalogue::Pannes
