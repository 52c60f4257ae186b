#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

// For QAccessible::installFactory: the report view as accessibility tools see it, a read-only,
// multi-line text box whose text, caret and selection they read and set by character offsets.
QAccessibleInterface* accessibleReportViewFactory(const QString& className, QObject* object);
