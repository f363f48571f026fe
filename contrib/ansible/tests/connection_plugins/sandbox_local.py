# The local connection under another name: ansible.builtin.reboot refuses the
# "local" transport, and the fleet test must run the playbook's reboot task
# (against the sandbox's recording shutdown) on this machine.
from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = '''
    name: sandbox_local
    short_description: the local connection, for tests of reboot tasks in a sandbox
    description:
        - Runs tasks on the controller like the local connection.
    author: quillmark
    extends_documentation_fragment:
        - connection_pipelining
'''

from ansible.plugins.connection.local import Connection as LocalConnection


class Connection(LocalConnection):
    transport = 'sandbox_local'
