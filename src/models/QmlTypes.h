#pragma once

class Materials;
class QQmlEngine;

// Registers the list models and the (uncreatable) library type under "PrintSet" 1.0.
void RegisterQmlTypes();

// Reads every text of the scene again in the library's language whenever it changes.
void FollowLanguage(Materials &materials, QQmlEngine &engine);
