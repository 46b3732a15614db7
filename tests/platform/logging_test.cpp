// What the monitor says on its terminal: nothing unasked but a recording that stops; the tick
// only on a rule of its own, so "gear.*" does not bring two lines a second.
#include "platform/Logging.h"

#include <QtTest>

class LoggingTest : public QObject {
    Q_OBJECT
private slots:
    void categoriesByRule_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("expected"); // category:level passing, in the order below
        QTest::newRow("unasked") << ""
                                 << "gear.record:warning";
        QTest::newRow("gear.*") << "gear.*=true"
                                << "gear.link:debug gear.settings:debug gear.ui:debug "
                                   "gear.record:debug";
        QTest::newRow("the tick's own rule") << "gear-tick=true"
                                             << "gear.record:warning gear-tick:debug";
    }
    void categoriesByRule() {
        QFETCH(QString, rules);
        QFETCH(QString, expected);
        QLoggingCategory::setFilterRules(rules);
        QStringList passing;
        for (const QLoggingCategory *category :
             {&gearLink(), &gearSettings(), &gearUi(), &gearRecord(), &gearTick()}) {
            const QString name = QString::fromLatin1(category->categoryName());
            if (category->isDebugEnabled())
                passing << name + ":debug";
            else if (category->isWarningEnabled())
                passing << name + ":warning";
        }
        QLoggingCategory::setFilterRules({});
        QCOMPARE(passing.join(' '), expected);
    }

    // The mirror's own failures are said unasked; what strangers' connections do, only on its
    // rule, so that they cannot fill the terminal.
    void mirrorByRule_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<bool>("warning");
        QTest::newRow("unasked") << "" << false << true;
        QTest::newRow("gear.*") << "gear.*=true" << true << true;
        QTest::newRow("its own rule") << "gear.mirror=true" << true << true;
        QTest::newRow("another's rule") << "gear.link=true" << false << true;
    }
    void mirrorByRule() {
        QFETCH(QString, rules);
        QFETCH(bool, debug);
        QFETCH(bool, warning);
        QLoggingCategory::setFilterRules(rules);
        const bool debugPasses = gearMirror().isDebugEnabled();
        const bool warningPasses = gearMirror().isWarningEnabled();
        QLoggingCategory::setFilterRules({});
        QCOMPARE(debugPasses, debug);
        QCOMPARE(warningPasses, warning);
    }
};

QTEST_APPLESS_MAIN(LoggingTest)
#include "logging_test.moc"
