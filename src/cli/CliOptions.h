// A small parser for one command's arguments: positionals, valued options and flags.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

class CliOptions
{
public:
    // valued: options that take a value ("--layout L" or "--layout=L"); flags: options without one.
    CliOptions(QStringList valued, QStringList flags) : m_valued(std::move(valued)), m_flags(std::move(flags)) {}

    // False with Error() set on an unknown option or a missing value. "--help" and "-h" are
    // always known flags.
    bool Parse(const QStringList &args);
    const QString &Error() const { return m_error; }

    bool Help() const { return Has("--help") || Has("-h"); }
    bool Has(const QString &option) const { return m_given.contains(option); }
    QString Value(const QString &option, const QString &fallback = {}) const { return m_given.value(option, fallback); }
    // The option as a number: nullopt when it is absent; sets Error() and returns nullopt when
    // it is not a decimal number within low..high.
    std::optional<qint64> Number(const QString &option, qint64 low, qint64 high);
    const QStringList &Positionals() const { return m_positionals; }

private:
    QStringList m_valued;
    QStringList m_flags;
    QMap<QString, QString> m_given;
    QStringList m_positionals;
    QString m_error;
};
