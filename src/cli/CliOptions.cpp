// Argument parsing shared by the file commands.
#include "cli/CliOptions.h"

bool CliOptions::Parse(const QStringList &args)
{
    m_given.clear();
    m_positionals.clear();
    m_error.clear();
    bool onlyPositionals = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (onlyPositionals || !arg.startsWith('-') || arg == "-") {
            m_positionals << arg;
            continue;
        }
        if (arg == "--") {
            onlyPositionals = true;
            continue;
        }
        QString name = arg;
        QString value;
        bool hasValue = false;
        const int equals = arg.indexOf('=');
        if (arg.startsWith("--") && equals > 2) {
            name = arg.left(equals);
            value = arg.mid(equals + 1);
            hasValue = true;
        }
        if (name == "--help" || name == "-h" || m_flags.contains(name)) {
            if (hasValue) {
                m_error = QStringLiteral("option %1 takes no value").arg(name);
                return false;
            }
            m_given.insert(name, QString());
        } else if (m_valued.contains(name)) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    m_error = QStringLiteral("option %1 needs a value").arg(name);
                    return false;
                }
                value = args[++i];
            }
            m_given.insert(name, value);
        } else {
            m_error = QStringLiteral("unknown option %1").arg(name);
            return false;
        }
    }
    return true;
}

std::optional<qint64> CliOptions::Number(const QString &option, qint64 low, qint64 high)
{
    if (!Has(option))
        return std::nullopt;
    bool ok = false;
    const qint64 value = Value(option).toLongLong(&ok, 10);
    if (!ok || value < low || value > high) {
        m_error = QStringLiteral("%1 needs a number from %2 to %3").arg(option).arg(low).arg(high);
        return std::nullopt;
    }
    return value;
}
