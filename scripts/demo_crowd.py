#!/usr/bin/env python3
"""The crowd of the local demo network: a handful of people chatting in a few
rooms, and a few hundred more rooms with topics, all played from a plain-text
script (scripts/demo-crowd.txt).

    demo_crowd.py --port 6667 --script scripts/demo-crowd.txt [--pace 2] [--ready FILE]

It connects every person of the script to the IRC server on 127.0.0.1:PORT,
registers the script's accounts with NickServ, opens the rooms, leaves the
memos, writes FILE (if given) once all that is done, and then plays the talk
in a loop, one line every PACE seconds or so. Someone who is not one of the
crowd and joins one of its rooms gets a private greeting and, a little later,
an invitation. It runs until it is stopped (SIGTERM or SIGINT).
"""
import argparse
import asyncio
import random
import re
import signal
import sys
import time

# --------------------------------------------------------------------------
# The script file

FORMAT_CODES = {"b": "\x02", "i": "\x1d", "u": "\x1f", "o": "\x0f", "c": "\x03"}
MAX_ROOMS_PER_PERSON = 20  # the server's limit per connection


def formatted(text):
    """Turns the script's {b}, {i}, {u}, {o}, {cN}, {cN,M} and {c} into IRC formatting bytes."""
    def code(match):
        name, colour = match.group(1), match.group(2)
        if name == "c" and colour:
            fg, _, bg = colour.partition(",")
            return "\x03" + fg.zfill(2) + ("," + bg.zfill(2) if bg else "")
        return FORMAT_CODES[name]
    return re.sub(r"\{([biuoc])(\d{1,2}(?:,\d{1,2})?)?\}", code, text)


class ScriptError(Exception):
    pass


class Script:
    """Everything the script file says, read and checked."""

    def __init__(self, path):
        self.rooms = []       # (room, modes, topic, [people])
        self.accounts = []    # (nick, password)
        self.memos = []       # (sender, recipient, text)
        self.greeter = None   # (nick, text with {nick})
        self.inviter = None   # (nick, room)
        self.talk = []        # (nick, command, [arguments])
        self.regulars = []
        self.towns = []
        self.interests = []   # (name, topic with {Town})
        self._read(path)
        self._check()

    def _read(self, path):
        section = None
        with open(path, encoding="utf-8") as f:
            for number, raw in enumerate(f, 1):
                line = raw.rstrip("\n")
                if not line.strip() or line.startswith("# ") or line.strip() == "#":
                    continue
                header = re.fullmatch(r"\[(\w+)\]", line.strip())
                if header:
                    section = header.group(1)
                    continue
                try:
                    self._add(section, line)
                except (ValueError, IndexError) as e:
                    raise ScriptError(f"{path}:{number}: cannot read [{section}] line: {line!r} ({e})")

    def _add(self, section, line):
        def fields(count):
            parts = [p.strip() for p in line.split("|", count - 1)]
            if len(parts) != count or not all(parts):
                raise ValueError(f"expected {count} fields")
            return parts
        if section == "rooms":
            room, modes, topic, people = fields(4)
            self.rooms.append((room, modes, formatted(topic), people.split()))
        elif section == "accounts":
            self.accounts.append(tuple(fields(2)))
        elif section == "memos":
            sender, recipient, text = fields(3)
            self.memos.append((sender, recipient, formatted(text)))
        elif section == "greeter":
            nick, text = fields(2)
            self.greeter = (nick, formatted(text))
        elif section == "inviter":
            self.inviter = tuple(fields(2))
        elif section == "talk":
            parts = [p.strip() for p in line.split("|")]
            who, where = parts[0], parts[1]
            if where.startswith("#"):   # a line said in a room: the text may hold "|"
                self.talk.append((who, "say", [where, formatted(line.split("|", 2)[2].strip())]))
            elif where in ("/join", "/part", "/topic", "/op", "/deop"):
                args = [p.strip() for p in line.split("|", 3)[2:]]
                self.talk.append((who, where[1:], [args[0]] + [formatted(a) for a in args[1:]]))
            else:
                raise ValueError(f"unknown place or command {where!r}")
        elif section == "regulars":
            self.regulars += line.split()
        elif section == "towns":
            self.towns += line.split()
        elif section == "interests":
            self.interests.append(tuple(fields(2)))
        else:
            raise ValueError("outside of any known section")

    def _check(self):
        crowd = self.crowd()
        for who, command, args in self.talk:
            if who not in crowd:
                raise ScriptError(f"talk line by {who!r}, who is in no room")
            if command in ("op", "deop") and len(args) != 2:
                raise ScriptError(f"/{command} needs a room and a nick: {args}")
        if self.greeter and self.greeter[0] not in crowd:
            raise ScriptError(f"greeter {self.greeter[0]!r} is in no room")
        if self.inviter and self.inviter[0] not in crowd:
            raise ScriptError(f"inviter {self.inviter[0]!r} is in no room")
        owners = {nick for nick, _ in self.accounts}
        for sender, _, _ in self.memos:
            if sender not in owners or sender not in crowd:
                raise ScriptError(f"memo sender {sender!r} needs an account and a seat in a room")
        if len(self.filler_rooms()) > MAX_ROOMS_PER_PERSON * len(self.regulars):
            raise ScriptError("not enough regulars to keep every room open")

    def crowd(self):
        """The people in the rooms, in order of first appearance."""
        seen = []
        for _, _, _, people in self.rooms:
            seen += [p for p in people if p not in seen]
        return seen

    def filler_rooms(self):
        """(room, topic) for every town and interest."""
        return [(f"#{town}-{name}", formatted(topic.replace("{Town}", town.capitalize())))
                for name, topic in self.interests for town in self.towns]

    def filler_seats(self):
        """{room: [regulars]}: every room gets a regular who opens it, some get up to four more
        (a fixed pattern, so that the user counts differ), nobody sits in more than 20 rooms."""
        rooms = [room for room, _ in self.filler_rooms()]
        regulars = self.regulars
        load = {nick: 0 for nick in regulars}
        seats = {}
        for i, room in enumerate(rooms):
            holder = regulars[i % len(regulars)]
            seats[room] = [holder]
            load[holder] += 1
        for i, room in enumerate(rooms):
            extra = (i * 7 + i // 13) % 5 if i % 3 == 0 else 0
            for k in range(1, len(regulars)):
                if extra == 0:
                    break
                nick = regulars[(i + k) % len(regulars)]
                if load[nick] < MAX_ROOMS_PER_PERSON:
                    seats[room].append(nick)
                    load[nick] += 1
                    extra -= 1
        return seats


# --------------------------------------------------------------------------
# Connections


def parse(line):
    """(prefix nick, command, params) of one received line."""
    prefix = ""
    if line.startswith(":"):
        prefix, _, line = line[1:].partition(" ")
    head, sep, trailing = line.partition(" :")
    params = head.split()
    command = params.pop(0).upper() if params else ""
    if sep:
        params.append(trailing)
    return prefix.split("!", 1)[0], command, params


class Connection:
    """One person's IRC connection: sends lines, answers PINGs, lets the crowd watch what arrives."""

    def __init__(self, crowd, nick):
        self.crowd = crowd
        self.nick = nick
        self.reader = None
        self.writer = None
        self.waiters = []  # (test, future)

    async def open(self, port, timeout=20):
        self.reader, self.writer = await asyncio.open_connection("127.0.0.1", port)
        self.send(f"USER {self.nick} 0 * :{self.nick.capitalize()} of the demo crowd")
        self.send(f"NICK {self.nick}")
        asyncio.get_running_loop().create_task(self.read_loop())
        await self.wait_for(lambda who, cmd, params: cmd == "001", timeout, "welcome")

    def send(self, line):
        self.writer.write(line.encode("utf-8") + b"\r\n")

    async def read_loop(self):
        try:
            while True:
                raw = await self.reader.readline()
                if not raw:
                    break
                line = raw.decode("utf-8", "replace").rstrip("\r\n")
                who, command, params = parse(line)
                if command == "PING":
                    self.send("PONG :" + (params[0] if params else ""))
                elif command in ("433", "432"):
                    self.crowd.log(f"{self.nick}: nick refused: {line}")
                elif command.isdigit() and command[0] == "4":
                    self.crowd.log(f"{self.nick}: {line}")
                self.crowd.seen(self, who, command, params)
                for waiter in list(self.waiters):
                    test, future = waiter
                    if not future.done() and test(who, command, params):
                        future.set_result(params)
                        self.waiters.remove(waiter)
        except (ConnectionError, asyncio.CancelledError):
            pass
        self.crowd.log(f"{self.nick}: connection closed")

    async def wait_for(self, test, timeout, what):
        future = asyncio.get_running_loop().create_future()
        self.waiters.append((test, future))
        try:
            return await asyncio.wait_for(future, timeout)
        except asyncio.TimeoutError:
            raise RuntimeError(f"{self.nick}: no {what} within {timeout} s")

    async def sync(self, timeout=30):
        """Waits until the server has handled everything sent so far."""
        token = f"sync{random.randrange(10**9)}"
        self.send(f"PING :{token}")
        await self.wait_for(lambda who, cmd, params: cmd == "PONG" and params[-1:] == [token], timeout, "PONG")

    def close(self, message):
        if self.writer and not self.writer.is_closing():
            self.send(f"QUIT :{message}")
            self.writer.close()


# --------------------------------------------------------------------------
# The crowd


class Crowd:
    def __init__(self, script, port, pace):
        self.script = script
        self.port = port
        self.pace = pace
        self.people = {}     # nick -> Connection
        self.ours = set(script.crowd()) | set(script.regulars)
        self.greeted = set()
        self.started = time.monotonic()
        self.rhythm = random.Random(13)  # only for the gaps between lines

    def log(self, text):
        print(f"[{time.monotonic() - self.started:7.1f}] {text}", flush=True)

    def seen(self, connection, who, command, params):
        """Someone from outside joined one of the crowd's rooms: greet and invite them once."""
        if command != "JOIN" or not who or who in self.ours or who in self.greeted:
            return
        room = params[0] if params else ""
        if room not in {r for r, _, _, _ in self.script.rooms}:
            return
        self.greeted.add(who)
        self.log(f"{who} joined {room}")
        asyncio.get_running_loop().create_task(self.welcome(who))

    async def welcome(self, nick):
        if self.script.greeter:
            await asyncio.sleep(self.pace)
            greeter, text = self.script.greeter
            self.people[greeter].send(f"PRIVMSG {nick} :{text.replace('{nick}', nick)}")
            self.log(f"{greeter} greeted {nick}")
        if self.script.inviter:
            await asyncio.sleep(2 * self.pace)
            inviter, room = self.script.inviter
            self.people[inviter].send(f"INVITE {nick} {room}")
            self.log(f"{inviter} invited {nick} to {room}")

    async def connect_everyone(self):
        nicks = self.script.crowd() + self.script.regulars
        connections = [Connection(self, nick) for nick in nicks]
        await asyncio.gather(*(c.open(self.port) for c in connections))
        self.people = {c.nick: c for c in connections}
        self.log(f"{len(connections)} people connected")

    async def register_accounts(self):
        async def register(nick, password):
            connection = self.people.get(nick)
            own = connection is None
            if own:  # an account for someone outside the crowd: its nick is left free afterwards
                connection = Connection(self, nick)
                await connection.open(self.port)
            connection.send(f"NICKSERV REGISTER {password} {nick}@demo.example.org")
            await connection.wait_for(
                lambda who, cmd, params: (cmd == "900") or (
                    who == "NickServ" and cmd == "NOTICE" and "registered" in params[-1]
                    and "is not" not in params[-1]), 20, f"NickServ registration of {nick}")
            if own:
                connection.close("registered")
        await asyncio.gather(*(register(n, p) for n, p in self.script.accounts))
        self.log(f"{len(self.script.accounts)} accounts registered")

    async def open_rooms(self):
        for room, modes, topic, people in self.script.rooms:
            opener = self.people[people[0]]
            opener.send(f"JOIN {room}")
            await opener.wait_for(lambda who, cmd, params, r=room: cmd == "366" and params[1:2] == [r], 20,
                                  f"names of {room}")
            opener.send(f"MODE {room} {modes}")
            opener.send(f"TOPIC {room} :{topic}")
            for nick in people[1:]:
                if "i" in modes:
                    opener.send(f"INVITE {nick} {room}")
                    await opener.sync()
                self.people[nick].send(f"JOIN {room}")
        seats = self.script.filler_seats()
        topics = dict(self.script.filler_rooms())
        for room, (holder, *_) in seats.items():  # the first in a room is its operator: may set the topic
            self.people[holder].send(f"JOIN {room}")
            self.people[holder].send(f"TOPIC {room} :{topics[room]}")
        await asyncio.gather(*(c.sync() for c in self.people.values()))
        for room, (_, *others) in seats.items():
            for nick in others:
                self.people[nick].send(f"JOIN {room}")
        await asyncio.gather(*(c.sync() for c in self.people.values()))
        self.log(f"{len(self.script.rooms)} rooms of the crowd and {len(topics)} more opened")

    async def leave_memos(self):
        for sender, recipient, text in self.script.memos:
            connection = self.people[sender]
            connection.send(f"MEMOSERV SEND {recipient} {text}")
            answer = await connection.wait_for(lambda who, cmd, params: who == "MemoServ" and cmd == "NOTICE", 20,
                                               f"MemoServ's answer to {sender}")
            if "successfully sent" not in answer[-1]:
                raise RuntimeError(f"MemoServ did not take {sender}'s memo: {answer[-1]}")
        self.log(f"{len(self.script.memos)} memos left")

    async def play(self):
        while True:
            for who, command, args in self.script.talk:
                await asyncio.sleep(self.pace * self.rhythm.uniform(0.6, 1.4))
                self.people[who].send(self.line(command, args))

    @staticmethod
    def line(command, args):
        if command == "say":
            room, text = args
            if text.startswith("/me "):
                return f"PRIVMSG {room} :\x01ACTION {text[4:]}\x01"
            return f"PRIVMSG {room} :{text}"
        if command == "join":
            return f"JOIN {args[0]}"
        if command == "part":
            return f"PART {args[0]}" + (f" :{args[1]}" if len(args) > 1 else "")
        if command == "topic":
            return f"TOPIC {args[0]} :{args[1]}"
        sign = "+" if command == "op" else "-"
        return f"MODE {args[0]} {sign}o {args[1]}"

    def close(self):
        for connection in self.people.values():
            connection.close("the demo is over")


async def run(args):
    script = Script(args.script)
    crowd = Crowd(script, args.port, args.pace)
    loop = asyncio.get_running_loop()
    stop = loop.create_future()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, lambda: stop.done() or stop.set_result(None))
    try:
        await crowd.connect_everyone()
        await crowd.register_accounts()
        await crowd.open_rooms()
        await crowd.leave_memos()
        if args.ready:
            with open(args.ready, "w") as f:
                f.write("ready\n")
        crowd.log("ready, playing the talk")
        player = loop.create_task(crowd.play())
        await asyncio.wait([player, stop], return_when=asyncio.FIRST_COMPLETED)
        player.cancel()
    finally:
        crowd.close()
        await asyncio.sleep(0.2)  # lets the QUIT lines go out


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, default=6667)
    parser.add_argument("--script", required=True)
    parser.add_argument("--pace", type=float, default=2.0, help="average seconds between two lines of talk")
    parser.add_argument("--ready", help="file to write once the network is filled")
    parser.add_argument("--check", action="store_true", help="only read and check the script")
    args = parser.parse_args()
    try:
        if args.check:
            script = Script(args.script)
            print(f"{len(script.crowd())} people in {len(script.rooms)} rooms, {len(script.talk)} lines of talk, "
                  f"{len(script.filler_rooms())} more rooms")
            return 0
        asyncio.run(run(args))
    except ScriptError as e:
        print(f"demo_crowd: {e}", file=sys.stderr)
        return 1
    except (RuntimeError, OSError) as e:
        print(f"demo_crowd: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
