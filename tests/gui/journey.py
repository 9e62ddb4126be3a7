#!/usr/bin/env python3
"""One day with Talvessa, driven the way a person drives it.

The built program runs on its own Xvfb display under openbox and gets nothing
but real X input (xdotool): pointer clicks, typed text and key presses. It
talks to real servers (inspircd + atheme on 127.0.0.1:6667, the program's
port for a plain host, with TLS ports above it), and a second IRC client of this script's own, "bobgui",
sits on the other side of every conversation and checks what went out.

The journey: type the server, connect, log in as a guest, open a room window,
join a room by pressing Enter in the room selector, chat both ways (the
received line is checked in the transcript saved with Save Chat), a line
naming the user highlighted, typed commands (/me, Tab completion of a nick,
/join by Enter in the input line), an invitation arriving while the user
types (the typed text goes on into the input line and accepts nothing), a private
conversation both ways, Chat > New while a child window is maximised, the
server going away and coming back (the program must rejoin its room by
itself after the reconnect), a reconnect with TLS (ircs://127.0.0.1:6669,
checked against the test's own certificate authority), and quitting through
Chat > Exit.

Every step has a deadline. On a failure the script names the step, saves a
screenshot next to the build and prints its path, and stops everything it
started (servers, X, window manager, program) on every way out.

    journey.py --program build/src/talvessa --servers tests/integration/servers --out build

Coordinates below are relative to the frame window (maximised on a
1280x1024 screen, openbox's default theme, DejaVu fonts); they were read off
screenshots of the program.
"""
import argparse
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import time

PORT = 6667
TLS_PORT = PORT + 2  # inspircd's TLS port whose certificate the test's own authority signed
NICK = "alicegui"
PEER = "bobgui"
ROOM = "journey"
SCREEN = (1280, 1024)

# Where things are, relative to the frame window's client area.
SERVER_BOX = (140, 34)        # the server combo's text
CONNECT_BUTTON = (376, 36)    # tool bar: Connect (after the TLS switch with its words)
DISCONNECT_BUTTON = (407, 36)  # tool bar: Disconnect
ROOM_SAVE_BUTTON = (446, 116)  # room window at its first place (cascaded below the room list): Save Chat
ROOM_MAXIMISE = (530, 89)     # room window's title bar: maximise
MDI_AREA = (0, 56, 1280, 955)  # left, top, right, bottom of the workspace below the tool bar
MENTION_BACKGROUND = (0xFF, 0xF1, 0xA8)  # a transcript line that names the user

# --------------------------------------------------------------------------
# Steps and failures


class JourneyFailed(Exception):
    pass


class Journey:
    """Everything the run started, so that every way out can stop it."""

    def __init__(self, args):
        self.program = os.path.abspath(args.program)
        self.servers_dir = os.path.abspath(args.servers)
        self.out = os.path.abspath(args.out)
        self.work = os.path.join(self.out, "gui-journey")
        self.step = "set-up"
        self.started = time.monotonic()
        self.servers_running = False
        self.xvfb = None
        self.wm = None
        self.app = None
        self.app_log = None
        self.display = None
        self.frame = None
        self.peer = None
        self.mdi_background = None
        self.origin = None  # the frame's client area on the screen
        self.quitting = False  # set once the journey itself asks the program to end


J = None  # the running journey


def begin(name):
    J.step = name
    print(f"[{time.monotonic() - J.started:6.1f} s] {name}", flush=True)


def fail(message):
    raise JourneyFailed(f"step \"{J.step}\" failed: {message}")


def wait_for(what, check, timeout, interval=0.2):
    """Polls check() until it returns something true; fails naming `what` at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        program_still_running()
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            fail(f"{what} (waited {timeout} s)")
        time.sleep(interval)


def wait_until(check, timeout, interval=0.2):
    """Like wait_for, but answers False at the deadline instead of failing."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        program_still_running()
        if check():
            return True
        time.sleep(interval)
    return False


# --------------------------------------------------------------------------
# IRC servers


def port_in_use(port):
    with socket.socket() as s:
        s.settimeout(1)
        return s.connect_ex(("127.0.0.1", port)) == 0


def start_servers():
    for port in range(PORT, PORT + 7):
        if port_in_use(port):
            fail(f"127.0.0.1:{port} is already in use; this test needs port {PORT}, the services link port "
                 f"above it and the TLS ports {PORT + 2} to {PORT + 6} free")
    dir_ = os.path.join(J.work, "servers")
    result = subprocess.run([os.path.join(J.servers_dir, "start-irc-servers"), dir_, str(PORT)],
                            capture_output=True, text=True, timeout=60, env=dict(os.environ, IRC_TLS="1"))
    if result.returncode != 0:
        fail(f"start-irc-servers failed:\n{result.stdout}{result.stderr}")
    J.servers_running = True


def stop_servers():
    if not J.servers_running:
        return
    subprocess.run([os.path.join(J.servers_dir, "stop-irc-servers"), os.path.join(J.work, "servers")],
                   capture_output=True, text=True, timeout=60)
    J.servers_running = False


# --------------------------------------------------------------------------
# X display, window manager, program


def x_env():
    env = dict(os.environ)
    env["DISPLAY"] = J.display
    env.pop("QT_QPA_PLATFORM", None)  # the test suite runs headless; this program gets a real X display
    return env


def start_x():
    # Xvfb picks a free display itself and writes its number to the pipe.
    read_end, write_end = os.pipe()
    J.xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=open(os.path.join(J.work, "xvfb.log"), "w"),
        start_new_session=True)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 30
    os.set_blocking(read_end, False)
    while not number.endswith(b"\n"):
        if J.xvfb.poll() is not None or time.monotonic() > deadline:
            os.close(read_end)
            fail("Xvfb did not start (see gui-journey/xvfb.log)")
        try:
            number += os.read(read_end, 16)
        except BlockingIOError:
            time.sleep(0.05)
    os.close(read_end)
    J.display = ":" + number.decode().strip()
    J.wm = subprocess.Popen(["openbox", "--sm-disable"], env=x_env(), stdout=subprocess.DEVNULL,
                            stderr=open(os.path.join(J.work, "openbox.log"), "w"), start_new_session=True)
    # The desktop number is there once openbox manages the screen.
    wait_for("openbox did not take over the display", window_manager_ready, 20)


def start_program():
    home = os.path.join(J.work, "home")
    os.makedirs(home)
    env = x_env()
    env.update(HOME=home, XDG_DATA_HOME=os.path.join(home, ".local/share"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_CACHE_HOME=os.path.join(home, ".cache"),
               XDG_RUNTIME_DIR=os.path.join(home, "runtime"), QT_QPA_PLATFORM="xcb",
               # The test's certificate authority stands for the system's store.
               SSL_CERT_FILE=os.path.join(J.work, "servers", "tls", "ca.pem"))
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    J.app_log = os.path.join(J.work, "talvessa.log")
    J.app = subprocess.Popen([J.program], env=env, cwd=home, stdout=open(J.app_log, "w"),
                             stderr=subprocess.STDOUT, start_new_session=True)


def program_still_running():
    if J.app is not None and not J.quitting and J.app.poll() is not None:
        code = J.app.returncode
        J.app = None
        fail(f"the program ended by itself (exit status {code})")


def stop_process(proc, grace=5):
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(5)


# --------------------------------------------------------------------------
# X input and looking at the screen


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *args], env=x_env(), capture_output=True, text=True, timeout=30)
    if check and result.returncode != 0:
        fail(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
    return result.stdout


def window_manager_ready():
    return subprocess.run(["xdotool", "get_desktop"], env=x_env(), capture_output=True,
                          timeout=30).returncode == 0


def find_windows(name_regex, visible=True):
    args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", name_regex]
    return xdotool(*args, check=False).split()


def window_name(window):
    return xdotool("getwindowname", window, check=False).strip()


def window_size(window):
    shell = xdotool("getwindowgeometry", "--shell", window, check=False)
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return int(values.get("WIDTH", 0)), int(values.get("HEIGHT", 0))


def frame_caption():
    return window_name(J.frame)


def caption_names(child):
    """True when the frame caption shows a maximised child window of that title."""
    # The window system may add the program's name after it ("... — Talvessa").
    return frame_caption().startswith(f"Talvessa - [{child}]")


def click(at, double=False):
    """Clicks at a point given relative to the frame window's client area."""
    xdotool("mousemove", "--window", J.frame, str(at[0]), str(at[1]))
    time.sleep(0.1)
    xdotool("click", *(["--repeat", "2", "--delay", "80"] if double else []), "1")


def type_text(text):
    xdotool("type", "--delay", "40", text)


def key(*keys):
    xdotool("key", "--delay", "80", *keys)


def chat_menu(*keys):
    """Opens the Chat menu with its accelerator and presses the keys in it."""
    key("alt+c")
    time.sleep(0.5)  # a person's pace; the open menu gets the keys that follow
    key(*keys)


def clipboard():
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=x_env(), capture_output=True,
                            text=True, timeout=10)
    return result.stdout if result.returncode == 0 else ""


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], env=x_env(), capture_output=True, timeout=30)


def screen_pixels():
    """The whole screen as raw RGB bytes, one row after the other."""
    result = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=x_env(),
                            capture_output=True, timeout=30)
    if len(result.stdout) != SCREEN[0] * SCREEN[1] * 3:
        fail("could not take a screenshot")
    return result.stdout


def pixel(pixels, x, y):
    i = (y * SCREEN[0] + x) * 3
    return tuple(pixels[i:i + 3])


def frame_origin():
    """Where the frame's client area starts on the screen (below openbox's title bar)."""
    xdotool("mousemove", "--window", J.frame, "0", "0")
    shell = xdotool("getmouselocation", "--shell")
    at = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return int(at["X"]), int(at["Y"])


def workspace_share(hit):
    """The share of the workspace's sample points (every 8th pixel) where hit(x, y) holds (0.0 .. 1.0)."""
    ox, oy = J.origin
    left, top, right, bottom = MDI_AREA
    samples = hits = 0
    for y in range(oy + top, oy + bottom, 8):
        for x in range(ox + left, ox + right, 8):
            samples += 1
            hits += hit(x, y)
    return hits / samples


def changed_share(before, after):
    """The share of the workspace whose pixels differ between two screenshots."""
    return workspace_share(lambda x, y: pixel(before, x, y) != pixel(after, x, y))


def background_share(pixels):
    """The share of the workspace that shows the empty workspace colour."""
    return workspace_share(lambda x, y: pixel(pixels, x, y) == J.mdi_background)


# --------------------------------------------------------------------------
# The second client


class IrcClient:
    """A plain IRC client on a socket: sends lines, reads lines, answers PING."""

    def __init__(self, nick):
        self.nick = nick
        self.sock = None
        self.buffer = b""
        self.recent = []

    def connect(self, timeout=30):
        self.close()
        self.sock = socket.create_connection(("127.0.0.1", PORT), timeout=10)
        self.buffer = b""
        self.send(f"NICK {self.nick}")
        self.send(f"USER {self.nick} 0 * :journey peer")
        self.expect(f"the welcome for {self.nick}", rf"^:\S+ 001 {self.nick} ", timeout)

    def close(self):
        if self.sock:
            try:
                self.sock.sendall(b"QUIT :done\r\n")
            except OSError:
                pass
            self.sock.close()
            self.sock = None

    def send(self, line):
        self.sock.sendall(line.encode() + b"\r\n")

    def next_line(self, until):
        while b"\n" not in self.buffer:
            left = until - time.monotonic()
            if left <= 0:
                return None
            self.sock.settimeout(min(left, 0.5))
            try:
                data = self.sock.recv(4096)
            except socket.timeout:
                program_still_running()
                continue
            except OSError:
                return None
            if not data:
                return None
            self.buffer += data
        raw, self.buffer = self.buffer.split(b"\n", 1)
        line = raw.rstrip(b"\r").decode("utf-8", "replace")
        self.recent = (self.recent + [line])[-12:]
        if line.startswith("PING"):
            self.send("PONG" + line[4:])
        return line

    def expect(self, what, pattern, timeout):
        """Reads lines until one matches the regular expression; fails naming `what` at the deadline."""
        until = time.monotonic() + timeout
        while True:
            line = self.next_line(until)
            if line is None:
                shown = "\n    ".join(self.recent) or "(nothing)"
                fail(f"{self.nick} never got {what} within {timeout} s; last lines it got:\n    {shown}")
            found = re.search(pattern, line)
            if found:
                return found

    def names(self, channel, timeout=10):
        self.send(f"NAMES #{channel}")
        members = set()
        until = time.monotonic() + timeout
        while True:
            line = self.next_line(until)
            if line is None:
                fail(f"{self.nick} got no answer to NAMES #{channel}")
            found = re.match(rf"^:\S+ 353 {self.nick} \S #{channel} :(.*)$", line)
            if found:
                members |= {n.lstrip("@+") for n in found.group(1).split()}
            if re.match(rf"^:\S+ 366 {self.nick} #{channel} ", line):
                return members


# --------------------------------------------------------------------------
# Pieces of the journey shared by several steps


def log_in_as_guest(remembered=False):
    wait_for("the Login dialog did not open after clicking Connect",
                     lambda: find_windows("^Login"), 30)
    if remembered:
        # The dialog brings back the nick and the ticked guest box of the last
        # login on this server: Tab leads from the nick (the password field is
        # off) over the guest box to Ok.
        key("Tab", "Tab", "space")
    else:
        # The nick field has the focus; Tab leads over the password to the guest box and Ok.
        type_text(NICK)
        key("Tab", "Tab", "space", "Tab", "space")
    wait_for("the Login dialog is still open after Ok (the guest login did not finish)",
             lambda: not find_windows("^Login"), 90, interval=0.5)
    J.peer.send(f"WHOIS {NICK}")
    J.peer.expect(f"a WHOIS answer showing {NICK} logged in", rf" 311 {PEER} {NICK} ", 15)


def wait_in_room(what, timeout):
    members = set()

    def inside():
        members.clear()
        members.update(J.peer.names(ROOM))
        return NICK in members
    try:
        wait_for(what, inside, timeout, interval=0.5)
    except JourneyFailed as failure:
        raise JourneyFailed(f"{failure}; NAMES #{ROOM} lists: {' '.join(sorted(members)) or 'nobody'}") from None


def save_transcript(name):
    """Saves the room transcript with Save Chat and its file dialog; returns the text unrtf reads from it."""
    path = os.path.join(J.work, name)
    click(ROOM_SAVE_BUTTON)
    wait_for("the Save chat dialog did not open after clicking Save Chat",
             lambda: find_windows("^Save chat"), 20)
    # The file name field has the focus; a full path is a name it takes.
    key("ctrl+a")
    type_text(path)
    key("Return")
    wait_for(f"the Save chat dialog did not write {path}",
             lambda: os.path.exists(path) and not find_windows("^Save chat"), 20)
    result = subprocess.run(["unrtf", "--text", path], capture_output=True, text=True, timeout=30)
    if result.returncode != 0:
        fail(f"unrtf could not read {path}: {result.stderr.strip()}")
    return "\n".join(line for line in result.stdout.splitlines() if not line.startswith("###"))


# --------------------------------------------------------------------------
# The journey


def start_everything():
    begin("start the IRC servers on 127.0.0.1:6667")
    start_servers()
    begin("start Xvfb and openbox")
    start_x()
    begin("start the program")
    start_program()

    def maximised_frame():
        for window in find_windows("^Talvessa$"):
            if window_size(window)[0] >= SCREEN[0] - 20:
                return window
        return None
    J.frame = wait_for("no maximised window \"Talvessa\" appeared", maximised_frame, 60)
    J.origin = frame_origin()
    # The empty workspace's colour, where no child window is yet.
    pixels = wait_for("could not read the screen", screen_pixels, 10)
    J.mdi_background = pixel(pixels, J.origin[0] + 1000, J.origin[1] + 700)
    begin(f"the second client {PEER} connects")
    J.peer = IrcClient(PEER)
    J.peer.connect()


def type_the_server():
    begin("type 127.0.0.1 into the server box")
    click(SERVER_BOX)
    key("ctrl+a")
    type_text("127.0.0.1")
    key("ctrl+a", "ctrl+c")
    wait_for("the server box does not hold 127.0.0.1", lambda: clipboard().strip() == "127.0.0.1", 10)


def connect_and_log_in():
    begin(f"connect and log in as the guest {NICK}")
    click(CONNECT_BUTTON)
    log_in_as_guest()


def open_room_window():
    begin("open a room window with Chat > New")
    # New windows are cascaded over the others: look for a change, not for
    # less empty workspace.
    before = screen_pixels()
    chat_menu("Return")  # the menu opens on its first item, New
    wait_for("no room window came up",
             lambda: changed_share(before, screen_pixels()) > 0.02, 20, interval=0.5)


def join_with_enter():
    begin(f"type \"{ROOM}\" into the room selector and press Enter")
    # A new room window has the focus in its room selector, which shows "[Select Room]".
    key("ctrl+a")
    type_text(ROOM)
    key("Return")
    wait_in_room(f"{NICK} did not join #{ROOM} after Enter in the room selector", 15)
    begin(f"{PEER} joins #{ROOM}")
    J.peer.send(f"JOIN #{ROOM}")
    J.peer.expect(f"its own JOIN to #{ROOM}", rf"^:{PEER}!\S+ JOIN :?#{ROOM}", 15)


def chat_in_the_room():
    begin("send a room message from the input line")
    # Joining leaves the focus in the input line.
    type_text("hello from alice")
    key("Return")
    J.peer.expect(f"the room message from {NICK}", rf"^:{NICK}!\S+ PRIVMSG #{ROOM} :.*hello from alice", 15)

    begin(f"{PEER}'s room message shows in the transcript saved with Save Chat")
    J.peer.send(f"PRIVMSG #{ROOM} :hello from bob")
    text = ""
    for attempt in range(1, 4):  # the line may still be on its way for the first save
        text = save_transcript(f"room-{attempt}.rtf")
        if re.search(rf"{PEER}:\s*hello from bob", text):
            break
        time.sleep(1)
    else:
        fail(f"the saved transcript has no line \"{PEER}: hello from bob\"; unrtf read:\n{text}")
    if "hello from alice" not in text:
        fail(f"the saved transcript lacks the own line \"hello from alice\"; unrtf read:\n{text}")


def typed_commands_in_the_room():
    begin(f"{PEER} names {NICK} in #{ROOM}: the line is highlighted")
    J.peer.send(f"PRIVMSG #{ROOM} :{NICK.upper()}: are you there?")

    def highlighted_pixels():
        pixels = screen_pixels()
        return workspace_share(lambda x, y: pixel(pixels, x, y) == MENTION_BACKGROUND) > 0
    wait_for("no highlighted line came up in the room transcript", highlighted_pixels, 15, interval=0.5)

    begin("/me in the input line sends an action")
    type_text("/me waves")
    key("Return")
    J.peer.expect(f"the action from {NICK}", rf"^:{NICK}!\S+ PRIVMSG #{ROOM} :\x01Action waves", 15)

    begin(f"Tab completes {PEER}'s nick at the start of the line")
    type_text(PEER[:3])
    key("Tab")
    type_text("hi from tab")
    key("Return")
    J.peer.expect(f"the completed line from {NICK}", rf"^:{NICK}!\S+ PRIVMSG #{ROOM} :{PEER}: hi from tab", 15)

    begin("/join by Enter in the input line opens and joins a second room")
    other = ROOM + "2"
    type_text(f"/join #{other}")
    key("Return")
    wait_for(f"{NICK} did not join #{other} after /join", lambda: NICK in J.peer.names(other), 15, interval=0.5)
    # Closed again, so the first room's window is where the next steps expect it.
    key("ctrl+w")
    wait_for(f"{NICK} is still in #{other} after its window closed",
             lambda: NICK not in J.peer.names(other), 15, interval=0.5)
    # The area activates the room list then; the Window menu's second entry,
    # the first room's window, comes back to the front.
    key("alt+w")
    time.sleep(0.5)
    key("2")


def invitation_while_typing():
    begin(f"{PEER} invites {NICK} while {NICK} types: the keys go on into the input line")
    J.peer.send("JOIN #elsewhere")
    J.peer.expect("its own JOIN to #elsewhere", rf"^:{PEER}!\S+ JOIN :?#elsewhere", 15)
    type_text("first")
    key("Return")
    J.peer.expect(f"the room message from {NICK}", rf"^:{NICK}!\S+ PRIVMSG #{ROOM} :.*first", 15)
    J.peer.send(f"INVITE {NICK} #elsewhere")
    prompts = wait_for("no invitation prompt came up", lambda: find_windows("^Invitation$"), 15)
    type_text("second line here")
    key("Return")
    J.peer.expect(f"the rest of the typed line from {NICK}",
                  rf"^:{NICK}!\S+ PRIVMSG #{ROOM} :.*second line here", 15)
    # Nothing accepted the invitation: the prompt is still there, and no
    # join reached #elsewhere (PEER would have seen it before the message).
    if not find_windows("^Invitation$"):
        fail("the invitation prompt went away while the user typed")
    for line in J.peer.recent:
        if re.search(rf"^:{NICK}!\S+ JOIN :?#elsewhere", line):
            fail(f"{NICK} joined #elsewhere while typing")
    begin("answer the prompt with Reject")
    xdotool("windowactivate", "--sync", prompts[0], check=False)
    key("Escape")
    wait_for("the invitation prompt did not close with Escape", lambda: not find_windows("^Invitation$"), 10)


def chat_in_private():
    begin(f"private chat: {PEER} writes, a private window opens, the reply goes back")
    before = screen_pixels()
    J.peer.send(f"PRIVMSG {NICK} :psst alice")
    wait_for("no private window came up",
             lambda: changed_share(before, screen_pixels()) > 0.02, 15, interval=0.5)
    # A line that arrives while the user has just typed takes no focus: the
    # private window waits, marked, until the user picks it (Ctrl+Tab).
    time.sleep(3.5)
    J.peer.send(f"PRIVMSG {NICK} :still there?")
    time.sleep(1)
    type_text("hi bob, got it")
    key("Return")
    J.peer.expect(f"the private reply from {NICK}", rf"^:{NICK}!\S+ PRIVMSG {PEER} :.*hi bob, got it", 15)


def new_window_beside_a_maximised_one():
    begin("maximise the room window")
    click(ROOM_MAXIMISE)
    wait_for("the frame caption does not name the maximised room window",
             lambda: caption_names(ROOM), 10)
    wait_for("the maximised room window does not fill the workspace",
             lambda: background_share(screen_pixels()) < 0.01, 10, interval=0.5)

    begin("Chat > New while a child window is maximised")
    chat_menu("Return")

    def settled():
        share = background_share(screen_pixels())
        if caption_names("No Room") and share < 0.01:
            return "maximised"
        if "[" not in frame_caption() and share > 0.05:
            return "all normal"
        return None
    if not wait_until(settled, 10, interval=0.5):
        share = background_share(screen_pixels())
        fail(f"the new window is neither fully maximised nor are all windows normal: the frame caption is "
             f"\"{frame_caption()}\" and {share:.0%} of the workspace shows the empty background")


def reconnect_after_the_servers_restart():
    begin("the servers go away and come back")
    stop_servers()
    start_servers()
    J.peer.connect()
    J.peer.send(f"JOIN #{ROOM}")
    J.peer.expect(f"its own JOIN to #{ROOM}", rf"^:{PEER}!\S+ JOIN :?#{ROOM}", 15)

    begin(f"{NICK} reconnects by itself, without a dialog, and is back in #{ROOM}")
    # The program notices the closed connection, waits 2 s, 4 s, 8 s ... between
    # tries, logs in as the last login did and joins its rooms again.
    wait_in_room(f"{NICK} did not reconnect and rejoin #{ROOM} by itself after the servers restarted", 90)
    if find_windows("^Login"):
        fail("a Login dialog opened for the reconnect; it should need none")


def reconnect_with_tls():
    begin("disconnect with the tool bar's Disconnect button")
    click(DISCONNECT_BUTTON)
    J.peer.expect(f"{NICK} leaving", rf"^:{NICK}!\S+ QUIT", 15)

    begin(f"type ircs://127.0.0.1:{TLS_PORT} into the server box")
    address = f"ircs://127.0.0.1:{TLS_PORT}"
    click(SERVER_BOX)
    key("ctrl+a")
    type_text(address)
    key("ctrl+a", "ctrl+c")
    wait_for(f"the server box does not hold {address}", lambda: clipboard().strip() == address, 10)

    begin(f"connect with TLS (the port speaks nothing else) and log in as {NICK}")
    click(CONNECT_BUTTON)
    log_in_as_guest()
    begin(f"{NICK} is back in #{ROOM} over TLS")
    wait_in_room(f"{NICK} did not rejoin #{ROOM} over TLS", 15)


def quit_the_program():
    begin("quit with Chat > Exit")
    J.quitting = True
    chat_menu("x")
    try:
        code = J.app.wait(30)
    except subprocess.TimeoutExpired:
        fail("the program is still running 30 s after Chat > Exit")
    J.app = None
    if code != 0:
        fail(f"the program ended with exit status {code}")


def journey():
    start_everything()
    type_the_server()
    connect_and_log_in()
    open_room_window()
    join_with_enter()
    chat_in_the_room()
    typed_commands_in_the_room()
    invitation_while_typing()
    chat_in_private()
    new_window_beside_a_maximised_one()
    reconnect_after_the_servers_restart()
    reconnect_with_tls()
    quit_the_program()


# --------------------------------------------------------------------------


def show_program_log():
    if J.app_log and os.path.exists(J.app_log):
        with open(J.app_log, errors="replace") as f:
            lines = f.read().splitlines()[-30:]
        if lines:
            print("---- last lines of the program's output:\n" + "\n".join(lines))


def tear_down():
    if J.peer:
        J.peer.close()
    stop_process(J.app)
    stop_process(J.wm)
    stop_process(J.xvfb)
    stop_servers()


def stopped_from_outside(*_):
    print(f"stopped from outside during step \"{J.step}\"", flush=True)
    sys.exit(1)


def main():
    global J
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="the built talvessa")
    parser.add_argument("--servers", required=True, help="the folder with start-irc-servers and stop-irc-servers")
    parser.add_argument("--out", required=True, help="where the work folder and a failure screenshot go")
    J = Journey(parser.parse_args())
    for tool in ("Xvfb", "openbox", "xdotool", "xclip", "import", "unrtf"):
        if not shutil.which(tool):
            print(f"gui journey: {tool} is not installed (scripts/install-deps.sh installs it)")
            return 1
    if os.path.exists(os.path.join(J.work, "servers", "pids")):
        # An earlier run was killed before it could stop its servers.
        subprocess.run([os.path.join(J.servers_dir, "stop-irc-servers"), os.path.join(J.work, "servers")],
                       capture_output=True, timeout=60)
    shutil.rmtree(J.work, ignore_errors=True)
    os.makedirs(J.work)
    signal.signal(signal.SIGTERM, stopped_from_outside)  # a CTest timeout still tears down
    try:
        journey()
    except JourneyFailed as failure:
        print(f"FAIL: {failure}")
        if J.display:
            shot = os.path.join(J.out, "gui-journey-failure.png")
            screenshot(shot)
            print(f"screenshot: {shot}")
        show_program_log()
        print(f"work folder with the logs: {J.work}")
        return 1
    finally:
        tear_down()
    print(f"PASS: the whole journey in {time.monotonic() - J.started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
