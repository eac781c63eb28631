#pragma once

// Registers the list models and the (uncreatable) library type under "PrintSet" 1.0.
void RegisterQmlTypes();
