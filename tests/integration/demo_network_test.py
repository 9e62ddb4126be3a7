#!/usr/bin/env python3
"""The demo network, headless: scripts/demo-network starts inspircd, atheme and
the crowd on a free port, and a plain IRC client logs in as the demo account
the way the program does, then checks what a user of the demo would see: the
memo, the rooms of LIST with their topics and varied user counts, the crowd's
rooms with topics and people, the crowd's lines (exactly as the script has
them, with their formatting), its joins, parts, topic changes and ops, one
private greeting, one invitation that really lets the user in; and that stop
leaves nothing running. A port already in use is refused first.

    demo_network_test.py --scripts scripts
"""
import argparse
import os
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

NICK, PASSWORD = "demo", "demo123"
FAILURES = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        FAILURES.append(what)
    return condition


def port_free(port):
    with socket.socket() as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            s.bind(("127.0.0.1", port))
            return True
        except OSError:
            return False


def free_port_pair():
    while True:
        port = random.randrange(20000, 50000)
        if port_free(port) and port_free(port + 1):
            return port


class Client:
    """A line client: sends lines, collects received lines parsed, answers PINGs."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.buffer = b""
        self.lines = []  # (prefix nick, command, params, raw)

    def send(self, line):
        self.sock.sendall(line.encode() + b"\r\n")

    def read(self, timeout):
        """Reads what arrives within timeout seconds; gives the new lines."""
        self.sock.settimeout(timeout)
        new = []
        try:
            chunk = self.sock.recv(65536)
        except socket.timeout:
            return new
        if not chunk:
            raise ConnectionError("the server closed the connection")
        self.buffer += chunk
        while b"\r\n" in self.buffer:
            raw, self.buffer = self.buffer.split(b"\r\n", 1)
            text = raw.decode("utf-8", "replace")
            parsed = parse(text)
            if parsed[1] == "PING":
                self.send("PONG :" + parsed[2][-1])
            new.append(parsed)
        self.lines += new
        return new

    def wait_for(self, test, timeout, start=0):
        """The first line from index start on (old or new) that passes test, or None at the deadline."""
        deadline = time.monotonic() + timeout
        index = start
        while True:
            while index < len(self.lines):
                if test(*self.lines[index][:3]):
                    return self.lines[index]
                index += 1
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            self.read(min(left, 0.5))


def parse(line):
    prefix = ""
    rest = line
    if rest.startswith(":"):
        prefix, _, rest = rest[1:].partition(" ")
    head, sep, trailing = rest.partition(" :")
    params = head.split()
    command = params.pop(0).upper() if params else ""
    if sep:
        params.append(trailing)
    return prefix.split("!", 1)[0], command, params, line


def refuses_a_port_in_use(network):
    """start fails, naming the port, when the client port or the services link port above it is taken."""
    for taken_offset, name in ((0, "client port"), (1, "services link port")):
        port = free_port_pair()
        with socket.socket() as blocker:
            blocker.bind(("127.0.0.1", port + taken_offset))
            blocker.listen(1)
            with tempfile.TemporaryDirectory() as dir_:
                result = subprocess.run([network, "start", dir_, str(port)], capture_output=True, text=True,
                                        timeout=60)
                check(result.returncode != 0, f"start refuses a taken {name}")
                check(f"127.0.0.1:{port + taken_offset} is already in use" in result.stderr,
                      f"and says which port: {result.stderr.strip()!r}")
                check(not os.path.exists(os.path.join(dir_, "servers", "pids")), "and starts no server")


def logs_in_and_reads_the_memo(client):
    client.send(f"USER {NICK} localhost localhost {NICK}")
    client.send(f"NICK {NICK}")
    check(client.wait_for(lambda w, c, p: c == "001", 15) is not None, "welcome as demo")
    client.send(f"NICKSERV IDENTIFY {PASSWORD}")
    check(client.wait_for(lambda w, c, p: c == "900", 10) is not None, "the demo account identifies")
    mark = len(client.lines)
    client.send("MEMOSERV LIST")
    entry = client.wait_for(lambda w, c, p: w == "MemoServ" and "From:" in p[-1], 10, mark)
    check(entry is not None and "From: mira" in entry[2][-1], f"a memo from mira is listed: {entry and entry[3]!r}")


def lists_the_rooms(client, script):
    mark = len(client.lines)
    client.send("LIST")
    client.wait_for(lambda w, c, p: c == "323", 20, mark)
    rows = {p[1]: (int(p[2]), p[3]) for w, c, p, raw in client.lines[mark:] if c == "322"}
    rooms = dict(script.filler_rooms()) | {room: topic for room, _, topic, _ in script.rooms}
    wrong = [room for room, topic in rooms.items() if room not in rows or not rows[room][1].endswith(topic)]
    check(len(rooms) >= 300 and not wrong,
          f"LIST gives all {len(rooms)} rooms with their topics ({len(wrong)} missing or wrong: {wrong[:3]})")
    counts = {rows[room][0] for room in rooms if room in rows}
    check(len(counts) >= 3, f"user counts differ, so that sorting by them shows something: {sorted(counts)}")


def joins_the_crowds_rooms(client, script):
    public = [(room, topic, people) for room, modes, topic, people in script.rooms if "i" not in modes]
    mark = len(client.lines)
    client.send("JOIN " + ",".join(room for room, _, _ in public))
    for room, topic, people in public:
        end = client.wait_for(lambda w, c, p, r=room: c == "366" and p[1] == r, 10, mark)
        got_topic = client.wait_for(lambda w, c, p, r=room: c == "332" and p[1] == r, 0, mark)
        check(end and got_topic and got_topic[2][-1] == topic, f"joined {room}, which has its topic")
        names = set()
        for w, c, p, raw in client.lines[mark:]:
            if c == "353" and p[2] == room:
                names |= {n.lstrip("@+") for n in p[3].split()}
        # Someone may be out for lunch: the talk has them leave and come back.
        check(len(set(people) & names) >= len(people) - 1, f"{room} holds its people: {sorted(names)}")
        ops = {n[1:] for w, c, p, raw in client.lines[mark:] if c == "353" and p[2] == room for n in p[3].split()
               if n.startswith("@")}
        check(people[0] in ops, f"{people[0]} is {room}'s operator: {sorted(ops)}")
    return mark


def the_crowd_talks_greets_and_invites(client, script, timeout, start):
    """Everything from start on (the user's JOIN) counts: the greeting may come while the joins end."""
    crowd = set(script.crowd())
    said = {(who, args[0], "\x01ACTION " + args[1][4:] + "\x01" if args[1].startswith("/me ") else args[1])
            for who, command, args in script.talk if command == "say"}
    wanted = {
        "colour": lambda w, c, p: c == "PRIVMSG" and "\x03" in p[-1],
        "bold": lambda w, c, p: c == "PRIVMSG" and "\x02" in p[-1],
        "action": lambda w, c, p: c == "PRIVMSG" and p[-1].startswith("\x01ACTION ") and p[-1].endswith("\x01"),
        "emoticon": lambda w, c, p: c == "PRIVMSG" and re.search(r":\)|;\)|:P|:O|:\(|\([hufk]\)", p[-1]),
        "topic change": lambda w, c, p: c == "TOPIC",
        "op": lambda w, c, p: c == "MODE" and p[1] == "+o",
        "deop": lambda w, c, p: c == "MODE" and p[1] == "-o",
        "part": lambda w, c, p: c == "PART",
        "join": lambda w, c, p: c == "JOIN" and w != NICK,
        "greeting": lambda w, c, p: c == "PRIVMSG" and p[0] == NICK,
        "invitation": lambda w, c, p: c == "INVITE" and p[0] == NICK,
    }
    seen = {}
    deadline = time.monotonic() + timeout
    while len(seen) < len(wanted) and time.monotonic() < deadline:
        client.read(0.5)
        for w, c, p, raw in client.lines[start:]:
            if w in crowd:
                for name, test in wanted.items():
                    if name not in seen and test(w, c, p):
                        seen[name] = raw
                        print(f"  {time.monotonic() - (deadline - timeout):5.1f} s: {name}", flush=True)
    check(len(seen) == len(wanted), f"the crowd's doings arrive (missing: {sorted(set(wanted) - set(seen))})")
    lines = [(w, p[0], p[1]) for w, c, p, raw in client.lines[start:] if c == "PRIVMSG" and p[0].startswith("#")]
    strangers = [line for line in lines if line not in said]
    check(len(lines) >= 8 and not strangers,
          f"{len(lines)} room lines, each one of the script's, formatting and all (others: {strangers[:3]})")
    greetings = [raw for w, c, p, raw in client.lines if c == "PRIVMSG" and p[0] == NICK]
    check(len(greetings) == 1 and greetings[0].endswith(script.greeter[1].replace("{nick}", NICK)),
          f"one greeting, with the user's nick, although three rooms were joined: {greetings}")
    invite = seen.get("invitation")
    if invite:
        room = parse(invite)[2][-1]
        mark = len(client.lines)
        client.send(f"JOIN {room}")
        answer = client.wait_for(lambda w, c, p: (c == "366" and p[1] == room) or c == "473", 10, mark)
        check(answer is not None and answer[1] == "366", f"the invitation lets the user into {room}")
        client.send(f"MODE {room}")
        modes = client.wait_for(lambda w, c, p: c == "324" and p[1] == room, 10, mark)
        check(modes is not None and "i" in modes[2][2], f"{room} is invite-only: {modes and modes[3]!r}")


def stop_leaves_nothing_running(network, dir_, port):
    pids = []
    for name in ("servers/pids", "crowd.pid"):
        with open(os.path.join(dir_, name)) as f:
            pids += [int(p) for p in f.read().split()]
    check(len(pids) == 3, f"three processes to stop: {pids}")
    result = subprocess.run([network, "stop", dir_], capture_output=True, text=True, timeout=60)
    check(result.returncode == 0, f"stop succeeds: {result.stderr.strip()!r}")
    alive = []
    for pid in pids:
        try:
            os.kill(pid, 0)
            with open(f"/proc/{pid}/stat") as f:
                if ") Z" not in f.read():
                    alive.append(pid)
        except (ProcessLookupError, FileNotFoundError):
            pass
    check(not alive, f"nothing left running: {alive}")
    check(port_free(port), "the port is free again")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scripts", required=True, help="the scripts folder of the source tree")
    parser.add_argument("--timeout", type=float, default=40, help="seconds to wait for the crowd's doings")
    args = parser.parse_args()
    scripts = os.path.abspath(args.scripts)
    sys.path.insert(0, scripts)
    import demo_crowd
    script = demo_crowd.Script(os.path.join(scripts, "demo-crowd.txt"))
    network = os.path.join(scripts, "demo-network")
    started = time.monotonic()

    refuses_a_port_in_use(network)

    work = tempfile.mkdtemp(prefix="demo-network-test.")
    port = free_port_pair()
    env = dict(os.environ, DEMO_PACE="0.25")
    result = subprocess.run([network, "start", work, str(port)], capture_output=True, text=True, timeout=90,
                            env=env)
    print(result.stdout + result.stderr, end="")
    if not check(result.returncode == 0, "the demo network starts"):
        subprocess.run([network, "stop", work], capture_output=True, timeout=60)
        return 1
    try:
        client = Client(port)
        logs_in_and_reads_the_memo(client)
        lists_the_rooms(client, script)
        joined = joins_the_crowds_rooms(client, script)
        the_crowd_talks_greets_and_invites(client, script, args.timeout, joined)
        client.send("QUIT")
    except (OSError, ConnectionError) as e:
        check(False, f"the client's connection: {e}")
    finally:
        if FAILURES:
            with open(os.path.join(work, "crowd.log")) as f:
                print("---- crowd.log\n" + f.read()[-3000:])
        stop_leaves_nothing_running(network, work, port)
    if FAILURES:
        print(f"logs kept in {work}")
    else:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(FAILURES)} failure(s) in {time.monotonic() - started:.1f} s")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
