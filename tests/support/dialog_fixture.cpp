#include "support/dialog_fixture.h"

#include "protocol/protocol.h"
#include "protocol/protocol.h"
#include "dialog/write_pump.h"

DialogFixture::DialogFixture() {
    State.Controls = &Controls;
    State.LinkSocket = &Socket;
    State.Clock = &Clock;
    State.Prompts = &Prompts;
    State.Profile = &Profile;
    State.Window = &Window;
    Socket.Open = true;
    Window.Clock = &Clock;
    Window.OnTimer = [this](uint32_t id) { OnDialogTimer(State, id); };
}

std::vector<uint32_t> DialogFixture::SentRequestWords() const {
    std::vector<uint32_t> words;
    for (const FakeSocket::Sent& sent : Socket.SentDatagrams) {
        words.push_back(sent.Data.size() >= RequestHeaderSize ? GetU32(sent.Data.data() + 8) : 0);
    }
    return words;
}
