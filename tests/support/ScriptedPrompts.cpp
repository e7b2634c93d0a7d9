#include "ScriptedPrompts.h"

bool ScriptedPrompts::question(const QString& text, const QString&)
{
    questions << text;
    if (answers.empty())
        return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

FileDialogResult ScriptedPrompts::openFile(const FileDialogRequest& r)
{
    fileRequests.push_back(r);
    if (files.empty())
        return {};
    FileDialogResult f = files.front();
    files.pop_front();
    return f;
}

FileDialogResult ScriptedPrompts::saveFile(const FileDialogRequest& r)
{
    return openFile(r);
}

bool ScriptedPrompts::oneValue(const QString&, const QString& prompt, const QString&, float* value)
{
    valuePrompts << prompt;
    if (values.empty() || !values.front()) {
        if (!values.empty())
            values.pop_front();
        return false;
    }
    *value = *values.front();
    values.pop_front();
    return true;
}

bool ScriptedPrompts::density(float* value)
{
    return oneValue({}, "density", {}, value);
}

bool ScriptedPrompts::directory(const QString&, QString* chosen)
{
    if (directories.empty())
        return false;
    *chosen = directories.front();
    directories.pop_front();
    return !chosen->isEmpty();
}
