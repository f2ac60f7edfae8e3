#pragma once

#include <QString>

// Makes the empty database that is delivered with the program: both tables
// and the one blank requisites row. Used by the build and by the tests; the
// program itself never creates a database. An existing file is never touched:
// it may hold a user's archive.
namespace DeliveredDatabase {

// The schema script.
QString schemaScript();

// Creates the file at path. Returns false, with a reason in *error, when the
// file already exists or cannot be written.
bool create(const QString &path, QString *error = nullptr);

} // namespace DeliveredDatabase
