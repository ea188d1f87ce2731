#pragma once

#include "ports/PortBackend.h"
#include "ports/PortError.h"
#include "ports/PortSystem.h"

// A backend whose devices and failures the test chooses, and which records what the
// program did with it.
class ScriptedBackend : public PortBackend
{
public:
    QStringList inputs;
    QStringList outputs;
    bool failOpen = false;
    QStringList events; // "open in NAME", "close out NAME", ...
    InputSink *sink = nullptr;
    int sendsWithoutRoom = 0; // the next sends find the output's buffer full
    std::vector<QByteArray> sent;

    // A port system with these devices alone; `backend` is left at it, for the test to script.
    static std::shared_ptr<PortSystem> system(
        ScriptedBackend *&backend, QStringList inputs, QStringList outputs = {})
    {
        auto scripted = std::make_unique<ScriptedBackend>();
        backend = scripted.get();
        backend->inputs = std::move(inputs);
        backend->outputs = std::move(outputs);
        std::vector<std::unique_ptr<PortBackend>> backends;
        backends.push_back(std::move(scripted));
        return std::make_shared<PortSystem>(std::move(backends));
    }

    // What the open input's device sends, arriving now.
    void deliver(std::span<const std::uint8_t> bytes)
    {
        sink->receive(bytes, InputSink::Clock::now());
    }

    QString label() const override { return {}; }
    QStringList portNames(PortDirection direction) override
    {
        return direction == PortDirection::Input ? inputs : outputs;
    }
    std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &target) override
    {
        opening(QStringLiteral("in ") + name);
        sink = &target;
        return std::make_unique<Input>(*this, name);
    }
    std::unique_ptr<OutputConnection> openOutput(const QString &name) override
    {
        opening(QStringLiteral("out ") + name);
        return std::make_unique<Output>(*this, name);
    }

private:
    void opening(const QString &what)
    {
        if (failOpen)
            throw PortError(QStringLiteral("scripted failure"));
        events << QStringLiteral("open ") + what;
    }

    struct Input : InputConnection
    {
        Input(ScriptedBackend &backend, QString name)
            : backend(backend)
            , name(std::move(name))
        { }
        ~Input() override
        {
            backend.sink = nullptr;
            backend.events << QStringLiteral("close in ") + name;
        }
        ScriptedBackend &backend;
        QString name;
    };

    struct Output : OutputConnection
    {
        Output(ScriptedBackend &backend, QString name)
            : backend(backend)
            , name(std::move(name))
        { }
        ~Output() override { backend.events << QStringLiteral("close out ") + name; }
        void send(std::span<const std::uint8_t> message) override
        {
            if (backend.sendsWithoutRoom > 0) {
                --backend.sendsWithoutRoom;
                throw PortError(QStringLiteral("no room"), PortError::Kind::NoRoomNow);
            }
            backend.sent.emplace_back(
                reinterpret_cast<const char *>(message.data()), qsizetype(message.size()));
        }
        ScriptedBackend &backend;
        QString name;
    };
};
