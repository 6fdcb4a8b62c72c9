// The ".workspace" XML file: every tab, its four frames and their modules with their inputs and
// settings texts. GUI thread only.
#pragma once

#include <QDir>
#include <QList>
#include <QString>

class CTab;
class CTabManager;

// Folder of the workspace file last read or written; relative file inputs resolve against it.
QDir workspaceDir();

// Reads the file into new tabs (no parent; the caller owns them); `manager` makes the modules and
// its input manager the inputs (modules with an input are skipped without one). 0; -200 when the
// file cannot be opened; -194 when it is not a workspace or not well-formed XML (nothing is returned then).
int workspaceRead(CTabManager* manager, const QString& path, int* tabSelected, QList<CTab*>* tabs);
// Writes the tabs through a temporary file that replaces the target only when complete. 0; -200
// when it cannot be opened; -197 when the writing or the replacing fails (the old file stays).
int workspaceWrite(int tabSelected, const QString& path, const QList<CTab*>& tabs);
// Detaches and deletes the modules of the tabs, then the tabs.
void workspaceDeleteTabs(const QList<CTab*>& tabs);
