#pragma once
// The main window owns the scope window of a pick in progress. Its destructor calls this first: a drag that
// still runs is given up without picking (the controls it would report to are going away) and the scope window
// is destroyed, so that it never outlives the main window.
void AbandonPick() noexcept;
