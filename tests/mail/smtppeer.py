"""The mail server of the mail tests: an aiosmtpd handler.

Started as `python3 -m aiosmtpd -n -l 127.0.0.1:PORT -c smtppeer.Recorder
FOLDER MODE`. Every message it accepts is written to FOLDER as N.json with
the envelope, the raw bytes and what Python's email package reads from them
(decoded headers, content type, decoded body), so the tests compare against
an independent parser rather than against our own encoder.

MODE "accept" answers 250; "drop" closes the connection once the message has
arrived, before answering; "slow" writes the file "waiting", waits a minute
before answering and then writes the file "answered".
"""

import asyncio
import email
import email.policy
import json
import os


class Recorder:
    @classmethod
    def from_cli(cls, parser, *args):
        return cls(*args)

    def __init__(self, folder, mode="accept"):
        self.folder = folder
        self.mode = mode
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        if self.mode == "drop":
            server.transport.close()
            return "421 closing"
        if self.mode == "slow":
            open(os.path.join(self.folder, "waiting"), "w").close()
            await asyncio.sleep(60)
            open(os.path.join(self.folder, "answered"), "w").close()
        raw = envelope.original_content
        message = email.message_from_bytes(raw, policy=email.policy.default)
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "raw": raw.decode("latin-1"),
            "headers": [[key, str(value)] for key, value in message.items()],
            "content_type": message.get_content_type(),
            "charset": message.get_content_charset(),
            "body": message.get_content(),
        }
        self.count += 1
        path = os.path.join(self.folder, "%03d.json" % self.count)
        with open(path + ".part", "w", encoding="utf-8") as out:
            json.dump(record, out)
        os.replace(path + ".part", path)
        return "250 Message accepted"
