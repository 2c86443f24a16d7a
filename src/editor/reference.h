#pragma once
// What the editor takes from the reference database: the data module, the
// rights record and the two selection dialogs set up for its pickers.
#include <QString>

namespace tw {

class TSelectDialog;

// Whether dmMAIN exists and its database is connected.
bool DatabaseConnected();

// Creates the rights record Zam and loads the user's row; returns the index
// into SubdivisionSQL that its Z23 gives (a value other than 0 or 1 is
// reported once and gives the first list).
int LoadRightsAndChooseSubdivisionList();

// The pickers' dialogs, set up as the editor needs them; the caller frees them.
TSelectDialog* CreateSubdivisionDialog(int subdivisionList);
TSelectDialog* CreateClassifierDialog();

// Frees a dialog and empties the pointer; nothing for null.
void FreeSelectDialog(TSelectDialog*& dialog);

// Shows the dialog; on a confirmed row gives the subdivision's name.
bool ExecuteSubdivision(TSelectDialog& dialog, QString& name);
// Shows the dialog; on a confirmed row gives the classifier code and name.
bool ExecuteClassifier(TSelectDialog& dialog, QString& code, QString& name);

}  // namespace tw
