// What screen readers are told of the object windows.
#pragma once

class CEntryControlView;

// Installs, once, the accessible interfaces of the cells and the object
// windows and the filter that keeps the windows' construction and loading
// quiet. Called by every object window before it creates anything.
void InstallObjectAccessibility();

// Gives each cell of the view the cell's own accessible interface, where an
// assistive technology has had the edit field's made already.
void AdoptCellInterfaces(const CEntryControlView& view);
