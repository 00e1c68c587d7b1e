// The German tests' process: a user whose language is German, on a machine that may have no
// German locale data at all.
#pragma once

#include "model/Translations.h"

#include <QString>
#include <QStringList>

#include <memory>

/// The translations for this process's German user, installed until the result is dropped.
std::unique_ptr<Translations> german();
/// US English (the built-in English only), installed until the result is dropped.
std::unique_ptr<Translations> english();

/// Texts that read the same in both languages: names, paths, numbers and symbols.
bool sameInEveryLanguage(const QString& text);
