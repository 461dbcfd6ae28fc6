#pragma once

class TFormStorage;

// Registers the main window's 25 stored values, in the order the file keeps
// them, each with the value it has when the file holds nothing.
void AddMainStoredValues(TFormStorage& store);
