# Unit tests of the quillmark Ansible module: reading the event stream, reading
# untrusted packages, and the check-mode prediction. Run with the Python that
# has ansible-core (contrib/ansible/make-venv).
import json
import os
import stat
import struct
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'library'))
import quillmark as qm  # noqa: E402

UPDATE = {'action': 'update', 'allow_reinstall': False, 'allow_older': False, 'reboot': False}


def stream(*events):
    return '\n'.join(json.dumps(e) for e in events) + '\n'


def candidate(name, verdict, version='1.01'):
    return {'event': 'message', 'kind': 'candidate', 'code': 1,
            'candidate': {'name': name, 'bios_version': version, 'verdict': verdict, 'confirm': []}}


def done(result, summary, exit_code=None, **more):
    event = {'event': 'done', 'result': result, 'summary': summary, 'job': 'update', 'reboot': 'none',
             'exit_code': exit_code if exit_code is not None else (0 if result == 'done' else 1)}
    event.update(more)
    return event


START = {'event': 'start', 'schema': 1, 'version': '0.1.0'}
MISSING = {'event': 'message', 'kind': 'error', 'code': 5, 'text': 'confirmations missing: overwrite'}


class EventStreamTest(unittest.TestCase):
    def result(self, text, rc, **params):
        events, bad = qm.parse_events(text)
        self.assertEqual(bad, 0)
        return qm.job_result(events, rc, dict(UPDATE, **params))

    def test_lines_that_are_no_json_object_are_counted_not_fatal(self):
        events, bad = qm.parse_events('progress 10%\n[1,2]\n\n' + stream(START) + '{"event":"do')
        self.assertEqual(events, [START])
        self.assertEqual(bad, 3)

    def test_successful_update_reports_summary_hint_and_reboot(self):
        for reboot, required in (('none', False), ('needed', True), ('scheduled', False)):
            r = self.result(stream(START, candidate('new.bup', 'newer'),
                                   done('done', 'BIOS updated from new.bup', reboot=reboot, hint='reboot soon')), 0)
            self.assertEqual((r['changed'], r['failed'], r['reboot_required']), (True, False, required), reboot)
            self.assertEqual(r['msg'], 'BIOS updated from new.bup; reboot soon')

    def test_same_bios_refused_is_unchanged_unless_reinstall_was_asked(self):
        text = stream(START, candidate('new.bup', 'same'), MISSING,
                      done('failed', 'failed: confirmations missing: overwrite', hint='add --allow-reinstall'))
        r = self.result(text, 1)
        self.assertEqual((r['changed'], r['failed']), (False, False))
        self.assertIn('1.01', r['msg'])
        r = self.result(text, 1, allow_reinstall=True)
        self.assertTrue(r['failed'])

    def test_refusals_name_the_module_option_that_gives_the_confirmation(self):
        text = stream(START, candidate('old.bup', 'older', '1.00'), MISSING,
                      done('failed', 'failed: confirmations missing: overwrite', hint='add --allow-older'))
        r = self.result(text, 1)
        self.assertTrue(r['failed'])
        self.assertIn('add --allow-older', r['msg'])
        self.assertIn('allow_older: true', r['msg'])
        reboot = dict(MISSING, text='confirmations missing: allow reboot')
        r = self.result(stream(START, candidate('b.bup', 'newer'), reboot, done('failed', 'failed')), 1)
        self.assertIn('reboot: true', r['msg'])

    def test_chosen_candidate_is_the_one_the_result_names(self):
        # Of a folder: the refusal is about new.bup, an older package beside it does not matter.
        text = stream(START, candidate('old.bup', 'older', '1.00'), candidate('new.bup', 'same'), MISSING,
                      done('failed', 'failed: confirmations missing: overwrite', file='new.bup'))
        r = self.result(text, 1)
        self.assertFalse(r['failed'])
        text = stream(START, candidate('old.bup', 'older', '1.00'), candidate('new.bup', 'same'), MISSING,
                      done('failed', 'failed: confirmations missing: overwrite', file='/pkgs/old.bup'))
        self.assertTrue(self.result(text, 1)['failed'])

    def test_exit_code_and_result_must_both_say_done(self):
        self.assertTrue(self.result(stream(START, done('done', 'BIOS updated')), 1)['failed'])
        self.assertTrue(self.result(stream(START, done('failed', 'failed: x')), 0)['failed'])

    def test_front_end_failure_and_silent_end(self):
        r = self.result(stream(START, {'event': 'failure', 'exit_code': 3, 'message': 'kernel not reachable',
                                       'hint': 'is qmkrnl2 installed?'}), 3)
        self.assertEqual((r['failed'], r['msg']), (True, 'kernel not reachable; is qmkrnl2 installed?'))
        events, _ = qm.parse_events(stream(START))
        r = qm.job_result(events, 139, UPDATE, 'first\nSegmentation fault\n')
        self.assertTrue(r['failed'])
        self.assertIn('139', r['msg'])
        self.assertIn('Segmentation fault', r['msg'])

    def test_password_never_reaches_the_command_line(self):
        for action in ('update', 'restore', 'backup'):
            args = qm.front_end_args(dict(UPDATE, action=action, package='/p/new.bup', archive='/a.nvux',
                                          password='s3cret', overwrite=False, timeout=None))
            self.assertNotIn('s3cret', ' '.join(args))
            self.assertIn('--password', args)
        # Names are made absolute: the module runs in a temporary folder of Ansible's.
        args = qm.front_end_args(dict(UPDATE, package='rel/new.bup', password=None, timeout=None))
        self.assertIn(os.path.abspath('rel/new.bup'), args)


def description(*elements, root='bupinfo2'):
    body = ''.join('<%s>%s</%s>' % (n, t, n) for n, t in elements)
    return ('<%s>%s</%s>' % (root, body, root)).encode()


PACKAGE = description(('packtype', 'BIOS'), ('board', 'QMXSIM-X1'), ('biosversion', '1.01'),
                      ('image', 'bios.bin'))


class DescriptionTest(unittest.TestCase):
    def test_dialect(self):
        data = (b'\xef\xbb\xbfjunk<bupinfo2 a="x>y"><!-- c --><pack-type>BIOS</pack-type>\r\n'
                b'<board> QMX&amp;1\t</board><board>B\n2</board><biosversion>1.0<!-- x -->2</biosversion>'
                b'<empty/><nested><x>1</x></nested><rebootafter>Yes</rebootafter></bupinfo2><trailing')
        fields = qm.description_fields(data)
        self.assertEqual(fields['packtype'], 'BIOS')
        self.assertEqual(fields['boards'], ['QMX&amp;1', 'B2'])
        self.assertEqual(fields['biosversion'], '1.02')
        self.assertTrue(fields['rebootafter'])
        self.assertFalse(fields['rebootbefore'])

    def test_document_ending_early_keeps_what_was_closed(self):
        fields = qm.description_fields(b'<bupinfo2><packtype>BIOS</packtype><board>QMX')
        self.assertEqual((fields['packtype'], fields['boards']), ('BIOS', []))

    def test_refused_documents(self):
        for data in (b'<?xml version="1.0"?><bupinfo2/>', b'<!DOCTYPE x><bupinfo2/>',
                     b'<bupinfo2><![CDATA[x]]></bupinfo2>', b'<bupinfo2><a></b></bupinfo2>',
                     b'<bupinfo2>< a/></bupinfo2>', b'no element', b'<other><packtype>BIOS</packtype></other>',
                     b'<bupinfo2>' + b'<a>' * 300):
            with self.assertRaises(qm.PackageError, msg=data[:40]):
                qm.description_fields(data)


class PackageReadTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def path(self, name):
        return os.path.join(self.tmp.name, name)

    def zip(self, name, members, compression=zipfile.ZIP_DEFLATED):
        path = self.path(name)
        with zipfile.ZipFile(path, 'w', compression) as zf:
            for member in members:
                if isinstance(member, zipfile.ZipInfo):
                    zf.writestr(member, b'target')
                else:
                    zf.writestr(member[0], member[1])
        return path

    def refused(self, path, words):
        with self.assertRaises(qm.PackageError) as caught:
            qm.read_description(path)
        self.assertIn(words, str(caught.exception))

    def test_description_is_read_from_the_package(self):
        path = self.zip('new.bup', [('bios.bin', b'\0' * 1000), ('BupInfo2.xml', PACKAGE)])
        self.assertEqual(qm.read_description(path), PACKAGE)

    def test_hostile_archives_are_refused(self):
        link = zipfile.ZipInfo('BupInfo2.xml')
        link.external_attr = (stat.S_IFLNK | 0o777) << 16
        big = b' ' * (qm.MAX_DESCRIPTION + 1)
        cases = [
            (self.zip('none.bup', [('bios.bin', b'x')]), 'no BupInfo2.xml'),
            (self.zip('twice.bup', [('BupInfo2.xml', PACKAGE), ('BUPINFO2.XML', PACKAGE)]), 'more than once'),
            (self.zip('link.bup', [link]), 'no regular member'),
            (self.zip('big.bup', [('BupInfo2.xml', big)], zipfile.ZIP_STORED), 'larger than'),
            (self.zip('bomb.bup', [('BupInfo2.xml', b'\0' * (qm.MAX_DESCRIPTION - 1))]), 'ratio'),
            (self.zip('many.bup', [('m%d' % i, b'') for i in range(qm.MAX_MEMBERS + 1)]), 'members'),
        ]
        garbage = self.path('garbage.bup')
        with open(garbage, 'wb') as f:
            f.write(b'PK\x03\x04' + os.urandom(200))
        cases.append((garbage, 'not a zip archive'))
        for path, words in cases:
            with self.subTest(os.path.basename(path)):
                self.refused(path, words)

    def patched(self, name, data, edit):
        """A one-member package whose headers edit() changes as a hostile producer could."""
        with open(self.zip(name, [('BupInfo2.xml', data)], zipfile.ZIP_STORED), 'rb') as f:
            raw = bytearray(f.read())
        central = raw.rfind(b'PK\x01\x02')
        edit(raw, central)
        with open(self.path(name), 'wb') as f:
            f.write(raw)
        return self.path(name)

    def test_headers_that_lie_are_not_believed(self):
        def encrypt(raw, central):
            raw[6] |= 1
            raw[central + 8] |= 1

        def small_sizes(raw, central):
            # Both headers say 10 bytes: the reader gets no more, and the CRC no longer fits.
            struct.pack_into('<II', raw, 18, 10, 10)
            struct.pack_into('<II', raw, central + 20, 10, 10)

        self.refused(self.patched('enc.bup', PACKAGE, encrypt), 'encrypted')
        self.refused(self.patched('lie.bup', PACKAGE, small_sizes), 'no readable package')

    def test_only_regular_files_are_opened(self):
        fifo = self.path('fifo.bup')
        os.mkfifo(fifo)
        self.refused(fifo, 'not a regular file')  # without blocking on the FIFO
        self.refused(self.tmp.name, 'not a regular file')


def fields(version='1.01', board='QMXSIM-X1', packtype='BIOS', obsoletefrom=None, rebootafter=False):
    return {'packtype': packtype, 'boards': [board], 'biosversion': version, 'obsoletefrom': obsoletefrom,
            'rebootbefore': False, 'rebootafter': rebootafter}


STATUS = {'event': 'status', 'state': 'ready', 'bios': '1.01', 'system': 'QMXSIM-X1'}


class PredictionTest(unittest.TestCase):
    def predict(self, packages, **params):
        return qm.predict_update(STATUS, [('/p/%d.bup' % i, f) for i, f in enumerate(packages)],
                                 dict(UPDATE, **params))

    def test_versions_compare_as_numbers_without_prefix(self):
        for a, b, expected in (('1.10', '1.9', 1), ('R2.5', '2.05', 0), ('1', '1.0.0', 0), ('1.01', '1.1', 0),
                               ('2.0', '10.0', -1), ('1.0a', '1.0', None), ('', '1.0', None)):
            self.assertEqual(qm.version_compare(a, b), expected, (a, b))

    def test_single_package(self):
        table = [
            # fields, params, changed, failed, words in msg
            (fields('1.02'), {}, True, False, 'updated to 1.02'),
            (fields('1.01'), {}, False, False, 'nothing to do'),
            (fields('1.01'), {'allow_reinstall': True}, True, False, 'updated to 1.01'),
            (fields('1.00'), {}, False, True, 'allow_older'),
            (fields('1.00'), {'allow_older': True}, True, False, 'updated to 1.00'),
            (fields('1.00', obsoletefrom='1.01'), {'allow_older': True}, False, True, 'must not go back'),
            (fields('9.00', board='OTHER-BOARD'), {}, False, True, 'OTHER-BOARD'),
            (fields('1.02', packtype='CONFIG'), {}, False, True, 'no BIOS package'),
            (qm.PackageError('damaged'), {}, False, True, 'damaged'),
        ]
        for f, params, changed, failed, words in table:
            with self.subTest(f=f, params=params):
                r = self.predict([f], **params)
                self.assertEqual((r['changed'], r['failed']), (changed, failed))
                self.assertIn(words, r['msg'])
                self.assertTrue(r['msg'].startswith('prediction'))

    def test_folder_takes_the_best_package_and_its_reboot_need(self):
        r = self.predict([fields('1.00'), fields('1.03', rebootafter=True), fields('1.02'),
                          fields('5.0', board='OTHER')])
        self.assertEqual((r['changed'], r['bios_after'], r['reboot_required']), (True, '1.03', True))
        self.assertFalse(self.predict([fields('1.03', rebootafter=True)], reboot=True)['reboot_required'])

    def test_archives(self):
        backup = dict(UPDATE, action='backup', overwrite=False)
        with tempfile.NamedTemporaryFile() as existing:
            self.assertTrue(qm.predict_archive(STATUS, existing.name, None, backup)['failed'])
            self.assertTrue(qm.predict_archive(STATUS, existing.name, None, dict(backup, overwrite=True))['changed'])
        restore = dict(UPDATE, action='restore')
        self.assertTrue(qm.predict_archive(STATUS, '/a.nvux', fields(packtype='CONFIG'), restore)['changed'])
        self.assertTrue(qm.predict_archive(STATUS, '/a.nvux', fields(packtype='CONFIG', board='X'), restore)['failed'])
        self.assertTrue(qm.predict_archive(STATUS, '/a.nvux', qm.PackageError('x'), restore)['failed'])


if __name__ == '__main__':
    unittest.main()
