#pragma once

class Materials;
class QQmlEngine;

// Registers the list models, the (uncreatable) library type, the file chooser's LocalFiles and the
// focus outline's KeyboardUse singletons under "PrintSet" 1.0.
void RegisterQmlTypes();

// Reads every text of the scene again in the library's language whenever it changes.
void FollowLanguage(Materials &materials, QQmlEngine &engine);
