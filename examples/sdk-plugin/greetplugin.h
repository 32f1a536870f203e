// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <ioperationplugin.h>
#include <operation.h>

// "greet.hello": stores "Hello, NAME!" into a string variable.
class GreetOperation : public Operation
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(QString resultVar MEMBER m_resultVar)
    Q_CLASSINFO("prop_name", "Name")
    Q_CLASSINFO("prop_resultVar", "Save the greeting to")

public:
    QString root() const override { return QStringLiteral("Greetings"); }
    QString typeId() const override { return QStringLiteral("greet.hello"); }
    QString typeName() const override { return QStringLiteral("Say hello"); }
    QString icon() const override { return QString(); }
    void doOperation() const override;
    void saveOperation(QDataStream& out) const override;
    void loadOperation(QDataStream& in) override;
    QString toString() const override { return typeName() + QStringLiteral(": ") + m_name; }
    QString description() const override { return QStringLiteral("Greet ") + m_name; }
    Operation* clone(QObject* parent) const override;

private:
    QString m_name;
    QString m_resultVar;
};

class GreetPlugin : public QObject, public IOperationPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IOperationPlugin_iid)
    Q_INTERFACES(IOperationPlugin)

public:
    QList<Operation*> createPrototypes() override { return {new GreetOperation}; }
    QString pluginId() const override { return QStringLiteral("org.example.GreetPlugin"); }
    QString name() const override { return QStringLiteral("Greetings"); }
    QString version() const override { return QStringLiteral("1.0.0"); }
    int apiVersion() const override { return 2; }
    PluginManifest manifest() const override;
    QStringList requiredCapabilities() const override { return {}; }
};
