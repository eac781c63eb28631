#pragma once

// Registers the list models, the (uncreatable) library type and the file chooser's LocalFiles
// singleton under "PrintSet" 1.0.
void RegisterQmlTypes();
